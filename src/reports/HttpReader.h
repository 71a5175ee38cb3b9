// HttpReader: reads one HTTP/1.x request head from the bytes a connection has received, by the
// message rules of RFC 9112, for a server that only answers GET and HEAD on fixed paths.
//
// What it promises:
//  - ReadHttpRequest never reads past `buffer` and never throws; whatever the bytes, the outcome is
//    one of: more bytes are needed, one request (with the bytes it took), or a refusal with the
//    status to answer before closing (400, 413, 431, 505).
//  - A refusal comes as soon as the bytes show it: a first line that is not a request (a TLS hello,
//    binary garbage) is refused at its first byte, a head longer than `maxHeadBytes` once that many
//    bytes have arrived without its end, so a client never holds more than that.
//  - A request body (Content-Length) is taken with the request, up to `maxHeadBytes` as well; a
//    request with Transfer-Encoding, with conflicting Content-Length values, without a Host (HTTP/1.1)
//    or with folded header lines is refused.
//
// Example:
//   HttpReadResult r = ReadHttpRequest("GET /start?x=1 HTTP/1.0\r\n\r\n");
//   // r.kind == HttpReadResult::Kind::Request, r.request.path == "/start", r.request.keepAlive ==
//   // false (HTTP/1.0 without "Connection: keep-alive"), r.consumed == the whole text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vandoret {

struct HttpRequest {
    std::string method; // as sent, case kept ("GET", "HEAD", …)
    std::string path;   // the target's path, without query or fragment; "/" for "*"
    int minorVersion = 1;
    // After the answer the connection stays open for the next request (HTTP/1.1 without
    // "Connection: close", HTTP/1.0 with "Connection: keep-alive").
    bool keepAlive = true;
    // The client asked to switch protocols (a WebSocket upgrade): this server never does.
    bool upgrade = false;
};

struct HttpReadResult {
    enum class Kind { NeedMore, Request, Refused };
    Kind kind = Kind::NeedMore;
    HttpRequest request; // Kind::Request
    int status = 0;      // Kind::Refused: 400, 413, 431 or 505
    std::size_t consumed = 0;
};

inline constexpr std::size_t kHttpMaxHeadBytes = 32 * 1024;

HttpReadResult ReadHttpRequest(std::string_view buffer, std::size_t maxHeadBytes = kHttpMaxHeadBytes);

// The reason phrase of the statuses this server answers ("OK", "Not Found", …; "Unknown" else).
std::string_view HttpReason(int status);

} // namespace vandoret
