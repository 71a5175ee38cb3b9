#include "reports/HttpReader.h"

#include <cstdint>
#include <optional>

namespace vandoret {
namespace {

using Kind = HttpReadResult::Kind;

HttpReadResult Refuse(int status) {
    HttpReadResult r;
    r.kind = Kind::Refused;
    r.status = status;
    return r;
}

// tchar of RFC 9110: the characters of a method and of a header name.
bool IsTokenChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) {
        return true;
    }
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// Whether a comma-separated list value (Connection, Upgrade) holds `token`.
bool ListHolds(std::string_view value, std::string_view token) {
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        if (EqualsNoCase(TrimBlanks(value.substr(0, comma)), token)) {
            return true;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        value.remove_prefix(comma + 1);
    }
    return false;
}

std::optional<std::uint64_t> ReadLength(std::string_view value) {
    if (value.empty() || value.size() > 15) {
        return std::nullopt;
    }
    std::uint64_t n = 0;
    for (char c : value) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

// The lines of the head, each without its line end (CRLF, or a bare LF as RFC 9112 allows).
class Lines {
public:
    explicit Lines(std::string_view head) : rest_(head) {}
    bool Next(std::string_view& line) {
        if (rest_.empty()) {
            return false;
        }
        const std::size_t lf = rest_.find('\n');
        line = rest_.substr(0, lf);
        rest_ = lf == std::string_view::npos ? std::string_view() : rest_.substr(lf + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return true;
    }

private:
    std::string_view rest_;
};

// Where the head ends (the index just past its empty line), or npos.
std::size_t HeadEnd(std::string_view buffer) {
    for (std::size_t lf = buffer.find('\n'); lf != std::string_view::npos; lf = buffer.find('\n', lf + 1)) {
        if (lf + 1 < buffer.size() && buffer[lf + 1] == '\n') {
            return lf + 2;
        }
        if (lf + 2 < buffer.size() && buffer[lf + 1] == '\r' && buffer[lf + 2] == '\n') {
            return lf + 3;
        }
    }
    return std::string_view::npos;
}

// The request line "METHOD SP target SP HTTP/x.y". 0 when it reads, else the status to refuse with.
int ReadRequestLine(std::string_view line, HttpRequest& request) {
    const std::size_t sp1 = line.find(' ');
    const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != std::string_view::npos) {
        return 400; // also HTTP/0.9's "GET /" without a version
    }
    const std::string_view method = line.substr(0, sp1);
    std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string_view version = line.substr(sp2 + 1);
    if (method.empty() || target.empty()) {
        return 400;
    }
    for (char c : method) {
        if (!IsTokenChar(c)) {
            return 400;
        }
    }
    if (version.size() != 8 || version.substr(0, 5) != "HTTP/" || version[6] != '.' || version[5] < '0' ||
        version[5] > '9' || version[7] < '0' || version[7] > '9') {
        return 400;
    }
    if (version[5] != '1') {
        return 505;
    }
    for (char c : target) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7f) {
            return 400;
        }
    }
    if (target == "*") {
        target = "/";
    } else if (target.front() != '/') {
        // The absolute form ("http://host/path"): only its path matters here.
        const std::size_t scheme = target.find("://");
        if (scheme == std::string_view::npos) {
            return 400;
        }
        const std::size_t slash = target.find('/', scheme + 3);
        target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    target = target.substr(0, target.find_first_of("?#"));
    request.method.assign(method);
    request.path.assign(target);
    request.minorVersion = version[7] - '0';
    return 0;
}

// Before the head is complete: refuses at once what can never become a request line.
bool StartsLikeARequest(std::string_view buffer) {
    for (char c : buffer) {
        if (c == ' ') {
            return true;
        }
        if (!IsTokenChar(c)) {
            return false;
        }
    }
    return true;
}

} // namespace

HttpReadResult ReadHttpRequest(std::string_view buffer, std::size_t maxHeadBytes) {
    // Empty lines before a request are skipped (RFC 9112 2.2).
    std::size_t skipped = 0;
    while (skipped < buffer.size() && (buffer[skipped] == '\r' || buffer[skipped] == '\n')) {
        ++skipped;
    }
    const std::string_view text = buffer.substr(skipped);
    const std::size_t end = HeadEnd(text);
    if (end == std::string_view::npos) {
        const std::size_t firstLine = text.find('\n');
        if (!StartsLikeARequest(text.substr(0, firstLine))) {
            return Refuse(400);
        }
        if (firstLine != std::string_view::npos) {
            // A whole first line that is no request (HTTP/0.9's "GET /" among them) is refused at
            // once rather than waited on.
            std::string_view line = text.substr(0, firstLine);
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            HttpRequest request;
            if (const int status = ReadRequestLine(line, request); status != 0) {
                return Refuse(status);
            }
        }
        if (buffer.size() > maxHeadBytes) {
            return Refuse(firstLine == std::string_view::npos ? 400 : 431);
        }
        return {};
    }
    if (skipped + end > maxHeadBytes) {
        return Refuse(431);
    }
    HttpReadResult r;
    Lines lines(text.substr(0, end));
    std::string_view line;
    lines.Next(line);
    if (const int status = ReadRequestLine(line, r.request); status != 0) {
        return Refuse(status);
    }
    int hosts = 0;
    bool close = false;
    bool keepAliveAsked = false;
    std::optional<std::uint64_t> length;
    while (lines.Next(line) && !line.empty()) {
        if (line.front() == ' ' || line.front() == '\t') {
            return Refuse(400); // a folded line
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) {
            return Refuse(400);
        }
        const std::string_view name = line.substr(0, colon);
        for (char c : name) {
            if (!IsTokenChar(c)) {
                return Refuse(400); // also a blank before the colon
            }
        }
        const std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (EqualsNoCase(name, "Host")) {
            ++hosts;
        } else if (EqualsNoCase(name, "Connection")) {
            close = close || ListHolds(value, "close");
            keepAliveAsked = keepAliveAsked || ListHolds(value, "keep-alive");
        } else if (EqualsNoCase(name, "Upgrade")) {
            r.request.upgrade = true;
        } else if (EqualsNoCase(name, "Transfer-Encoding")) {
            return Refuse(400); // no request here has a body to stream
        } else if (EqualsNoCase(name, "Content-Length")) {
            const std::optional<std::uint64_t> n = ReadLength(value);
            if (!n || (length && *length != *n)) {
                return Refuse(400);
            }
            length = n;
        }
    }
    if (r.request.minorVersion >= 1 && hosts != 1) {
        return Refuse(400);
    }
    if (hosts > 1) {
        return Refuse(400);
    }
    r.request.keepAlive = r.request.minorVersion >= 1 ? !close : keepAliveAsked && !close;
    const std::uint64_t body = length.value_or(0);
    if (body > maxHeadBytes || skipped + end + body > 2 * maxHeadBytes) {
        return Refuse(413);
    }
    if (skipped + end + body > buffer.size()) {
        return {}; // the body is still coming
    }
    r.kind = Kind::Request;
    r.consumed = skipped + end + static_cast<std::size_t>(body);
    return r;
}

std::string_view HttpReason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 413:
        return "Content Too Large";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Unknown";
    }
}

} // namespace vandoret
