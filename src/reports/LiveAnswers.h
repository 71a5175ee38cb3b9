// LiveAnswers: the bytes the live results server sends, built from the rendered pages.
//
// What it promises:
//  - Only the fixed routes of the live pages are answered, for GET and HEAD; any other method gets
//    405 (with "Allow: GET, HEAD"), any other path 404, a protocol switch (WebSocket) 400. Nothing
//    is read from the disk and nothing is rendered per request: every answer of a route carries
//    the same body, the one of the pages last given to LiveRoutes.
//  - Every answer carries Content-Length, "Cache-Control: no-store", the server's time of day in
//    kLiveTimeHeader, and "Connection: close" exactly when the server closes after it.
//
// Example:
//   const LiveRoutes routes(RenderLivePages(data));
//   HttpRequest get{.method = "GET", .path = "/api/results.json"};
//   LiveAnswer a = AnswerLiveRequest(routes, get, "09:36:12.345");
//   // a.head starts "HTTP/1.1 200 OK\r\n", a.body points at the JSON, a.close == false.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "reports/HttpReader.h"
#include "reports/LivePages.h"

namespace vandoret {

struct LiveRoute {
    std::string type; // Content-Type
    std::string body;
};

class LiveRoutes {
public:
    LiveRoutes() = default;
    explicit LiveRoutes(const LivePages& pages);
    const LiveRoute* Find(std::string_view path) const;

private:
    std::map<std::string, LiveRoute, std::less<>> routes_;
};

struct LiveAnswer {
    std::string head;      // status line and headers, with the empty line
    std::string_view body; // empty for HEAD; points into the routes or a static text
    bool close = false;    // the connection ends once the answer is sent
};

// The answer to a request that was read.
LiveAnswer AnswerLiveRequest(const LiveRoutes& routes, const HttpRequest& request, std::string_view serverTime);

// The answer to a request that could not be read (status from ReadHttpRequest), or 503 when a
// client has too many connections (`retryAfterSeconds` then goes into Retry-After). Always closes.
LiveAnswer RefuseLiveRequest(int status, std::string_view serverTime, int retryAfterSeconds = 0);

} // namespace vandoret
