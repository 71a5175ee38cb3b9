#include "reports/LiveAnswers.h"

namespace vandoret {
namespace {

constexpr std::string_view kText = "text/plain; charset=utf-8";

std::string_view RefusalText(int status) {
    switch (status) {
    case 404:
        return "Nicht gefunden.\n";
    case 405:
        return "Nur GET und HEAD.\n";
    case 408:
        return "Die Anfrage kam nicht rechtzeitig.\n";
    case 413:
        return "Anfrage zu groß.\n";
    case 431:
        return "Anfragekopf zu groß.\n";
    case 503:
        return "Zu viele Verbindungen von dieser Adresse; bitte später noch einmal.\n";
    case 505:
        return "Nur HTTP/1.0 und HTTP/1.1.\n";
    default:
        return "Ungültige Anfrage.\n";
    }
}

LiveAnswer Compose(int status, std::string_view type, std::string_view body, bool headOnly, bool close,
                   std::string_view serverTime, std::string_view extra) {
    LiveAnswer a;
    a.close = close;
    a.body = headOnly ? std::string_view() : body;
    std::string& h = a.head;
    h.reserve(400);
    h += "HTTP/1.1 ";
    h += std::to_string(status);
    h += ' ';
    h += HttpReason(status);
    h += "\r\nContent-Type: ";
    h += type;
    h += "\r\nContent-Length: ";
    h += std::to_string(body.size());
    h += "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
         "Content-Security-Policy: default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
         "connect-src 'self'\r\n";
    h += kLiveTimeHeader;
    h += ": ";
    h += serverTime;
    h += "\r\n";
    h += extra;
    if (close) {
        h += "Connection: close\r\n";
    }
    h += "\r\n";
    return a;
}

} // namespace

LiveRoutes::LiveRoutes(const LivePages& pages) {
    const std::string html = "text/html; charset=utf-8";
    const std::string json = "application/json; charset=utf-8";
    routes_["/"] = {html, pages.results};
    routes_["/unterwegs"] = {html, pages.onCourse};
    routes_["/start"] = {html, pages.starts};
    routes_["/api/results.json"] = {json, pages.resultsJson};
    routes_["/api/oncourse.json"] = {json, pages.onCourseJson};
    routes_["/api/starts.json"] = {json, pages.startsJson};
}

const LiveRoute* LiveRoutes::Find(std::string_view path) const {
    const auto it = routes_.find(path);
    return it == routes_.end() ? nullptr : &it->second;
}

LiveAnswer AnswerLiveRequest(const LiveRoutes& routes, const HttpRequest& request, std::string_view serverTime) {
    if (request.upgrade) {
        return RefuseLiveRequest(400, serverTime);
    }
    const bool head = request.method == "HEAD";
    if (request.method != "GET" && !head) {
        return Compose(405, kText, RefusalText(405), false, !request.keepAlive, serverTime, "Allow: GET, HEAD\r\n");
    }
    const LiveRoute* route = routes.Find(request.path);
    if (route == nullptr) {
        return Compose(404, kText, RefusalText(404), head, !request.keepAlive, serverTime, {});
    }
    return Compose(200, route->type, route->body, head, !request.keepAlive, serverTime, {});
}

LiveAnswer RefuseLiveRequest(int status, std::string_view serverTime, int retryAfterSeconds) {
    const std::string retry =
        retryAfterSeconds > 0 ? "Retry-After: " + std::to_string(retryAfterSeconds) + "\r\n" : std::string();
    return Compose(status, kText, RefusalText(status), false, true, serverTime, retry);
}

} // namespace vandoret
