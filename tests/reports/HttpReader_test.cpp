// The live server's request reader and its answers: what each kind of client gets.
#include <gtest/gtest.h>

#include <string>

#include "reports/HttpReader.h"
#include "reports/LiveAnswers.h"

namespace vandoret {
namespace {

using Kind = HttpReadResult::Kind;

struct ReadCase {
    const char* what;
    std::string bytes;
    Kind kind;
    int status;     // Refused
    bool keepAlive; // Request
    const char* path;
};

TEST(HttpReader, EachKindOfClientGetsOneOutcome) {
    const std::string big(kHttpMaxHeadBytes + 1, 'a');
    const ReadCase cases[] = {
        {"HTTP/1.1 keeps the connection", "GET /start?x=1 HTTP/1.1\r\nHost: a\r\n\r\n", Kind::Request, 0, true,
         "/start"},
        {"HTTP/1.0 closes", "GET / HTTP/1.0\r\n\r\n", Kind::Request, 0, false, "/"},
        {"HTTP/1.0 with keep-alive (ab -k)", "GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n", Kind::Request, 0, true,
         "/"},
        {"Connection: close among other tokens", "GET / HTTP/1.1\r\nHost: a\r\nConnection: TE, close\r\n\r\n",
         Kind::Request, 0, false, "/"},
        {"bare LF line ends, empty lines before", "\r\n\nHEAD /unterwegs HTTP/1.1\nHost: a\n\n", Kind::Request, 0, true,
         "/unterwegs"},
        {"absolute form", "GET http://pc:8080/api/starts.json HTTP/1.1\r\nHost: pc\r\n\r\n", Kind::Request, 0, true,
         "/api/starts.json"},
        {"a head still coming", "GET / HTTP/1.1\r\nHost: a\r\n", Kind::NeedMore, 0, true, ""},
        {"a body still coming", "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\n\r\nab", Kind::NeedMore, 0, true,
         ""},
        {"a TLS hello at its first byte", std::string("\x16\x03\x01\x02", 4), Kind::Refused, 400, true, ""},
        {"garbage", "\x01\x02hello\r\n\r\n", Kind::Refused, 400, true, ""},
        {"HTTP/0.9 at its line end", "GET /\r\n", Kind::Refused, 400, true, ""},
        {"HTTP/9.9", "GET / HTTP/9.9\r\nHost: a\r\n\r\n", Kind::Refused, 505, true, ""},
        {"HTTP/2 preface", "PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n", Kind::Refused, 505, true, ""},
        {"a head over the limit", "GET / HTTP/1.1\r\nX: " + big, Kind::Refused, 431, true, ""},
        {"a first line over the limit", "GET /" + big, Kind::Refused, 400, true, ""},
        {"no Host in HTTP/1.1", "GET / HTTP/1.1\r\n\r\n", Kind::Refused, 400, true, ""},
        {"two Hosts", "GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", Kind::Refused, 400, true, ""},
        {"conflicting Content-Length", "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab",
         Kind::Refused, 400, true, ""},
        {"Transfer-Encoding", "GET / HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n", Kind::Refused, 400,
         true, ""},
        {"a folded header line", "GET / HTTP/1.1\r\nHost: a\r\nX: 1\r\n 2\r\n\r\n", Kind::Refused, 400, true, ""},
        {"a blank before the colon", "GET / HTTP/1.1\r\nHost : a\r\n\r\n", Kind::Refused, 400, true, ""},
        {"a body over the limit", "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 999999\r\n\r\n", Kind::Refused, 413,
         true, ""},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const HttpReadResult r = ReadHttpRequest(c.bytes);
        EXPECT_EQ(r.kind, c.kind);
        if (c.kind == Kind::Refused) {
            EXPECT_EQ(r.status, c.status);
        }
        if (c.kind == Kind::Request) {
            EXPECT_EQ(r.request.path, c.path);
            EXPECT_EQ(r.request.keepAlive, c.keepAlive);
            EXPECT_EQ(r.consumed, c.bytes.size());
        }
    }
}

TEST(HttpReader, PipelinedRequestsAreTakenOneAtATime) {
    const std::string first = "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 3\r\n\r\nabc";
    const std::string both = first + "HEAD /start HTTP/1.1\r\nHost: a\r\n\r\n";
    const HttpReadResult r = ReadHttpRequest(both);
    ASSERT_EQ(r.kind, Kind::Request);
    EXPECT_EQ(r.consumed, first.size());
    const HttpReadResult next = ReadHttpRequest(std::string_view(both).substr(r.consumed));
    ASSERT_EQ(next.kind, Kind::Request);
    EXPECT_EQ(next.request.method, "HEAD");
}

struct AnswerCase {
    const char* what;
    HttpRequest request;
    const char* statusLine;
    bool bodyShown;
    bool close;
    const char* extraHeader;
};

TEST(LiveAnswers, EveryRequestGetsExactlyOneAnswerWithItsHeaders) {
    LivePages pages;
    pages.results = "<p>Ergebnisse</p>";
    pages.resultsJson = "[\n]";
    const LiveRoutes routes(pages);
    const AnswerCase cases[] = {
        {"a route", {"GET", "/", 1, true, false}, "HTTP/1.1 200 OK", true, false, "Content-Type: text/html"},
        {"HEAD: no body, its length",
         {"HEAD", "/", 1, true, false},
         "HTTP/1.1 200 OK",
         false,
         false,
         "Content-Length: 17"},
        {"HTTP/1.0 closes",
         {"GET", "/api/results.json", 0, false, false},
         "HTTP/1.1 200 OK",
         true,
         true,
         "Content-Type: application/json"},
        {"another path", {"GET", "/etc/passwd", 1, true, false}, "HTTP/1.1 404 Not Found", true, false, ""},
        {"another method",
         {"POST", "/", 1, true, false},
         "HTTP/1.1 405 Method Not Allowed",
         true,
         false,
         "Allow: GET, HEAD"},
        {"a WebSocket upgrade", {"GET", "/", 1, true, true}, "HTTP/1.1 400 Bad Request", true, true, ""},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.what);
        const LiveAnswer a = AnswerLiveRequest(routes, c.request, "09:36:12.345");
        EXPECT_EQ(a.head.rfind(c.statusLine, 0), 0u) << a.head;
        EXPECT_NE(a.head.find("\r\nCache-Control: no-store\r\n"), std::string::npos);
        EXPECT_NE(a.head.find("\r\nX-Server-Time: 09:36:12.345\r\n"), std::string::npos);
        EXPECT_NE(a.head.find(c.extraHeader), std::string::npos);
        EXPECT_EQ(a.close, c.close);
        EXPECT_EQ(a.head.find("Connection: close") != std::string::npos, c.close);
        EXPECT_EQ(a.body.empty(), !c.bodyShown);
        EXPECT_EQ(a.head.substr(a.head.size() - 4), "\r\n\r\n");
    }
    const LiveAnswer busy = RefuseLiveRequest(503, "09:36:12.345", 5);
    EXPECT_EQ(busy.head.rfind("HTTP/1.1 503 Service Unavailable\r\n", 0), 0u);
    EXPECT_NE(busy.head.find("\r\nRetry-After: 5\r\n"), std::string::npos);
    EXPECT_TRUE(busy.close);
}

} // namespace
} // namespace vandoret
