// ReadHttpRequest on any bytes a client may send, fed whole and in two pieces, and the answers
// built for what it reads.
//
// Checked: the outcome never claims more bytes than it was given; a request read from the whole
// input reads alike from exactly the bytes it took; more bytes never turn a refusal into a
// request; every answer's head has exactly one empty line, at its end.
#include <string>

#include "FuzzSupport.h"
#include "reports/HttpReader.h"
#include "reports/LiveAnswers.h"

using namespace vandoret;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    const std::size_t limit = 64 + in.Byte() * 16; // small limits reach the size refusals
    const std::uint32_t split = in.U32();
    const std::string_view text = in.Rest();

    const HttpReadResult whole = ReadHttpRequest(text, limit);
    FUZZ_CHECK(whole.consumed <= text.size(), "never more bytes than there are");
    if (whole.kind == HttpReadResult::Kind::Request) {
        const HttpReadResult again = ReadHttpRequest(text.substr(0, whole.consumed), limit);
        FUZZ_CHECK(again.kind == HttpReadResult::Kind::Request && again.consumed == whole.consumed &&
                       again.request.path == whole.request.path && again.request.keepAlive == whole.request.keepAlive,
                   "a request reads alike from the bytes it took");
        static const LiveRoutes routes{LivePages{"<p>r</p>", "<p>u</p>", "<p>s</p>", "[]", "[]", "[]"}};
        const LiveAnswer answer = AnswerLiveRequest(routes, whole.request, "09:30:00.000");
        FUZZ_CHECK(answer.head.size() >= 4 && answer.head.compare(answer.head.size() - 4, 4, "\r\n\r\n") == 0,
                   "the head ends in an empty line");
        FUZZ_CHECK(answer.head.find("\r\n\r\n") == answer.head.size() - 4, "no empty line inside the head");
    }
    // What a first part refuses, the whole refuses too: a client cannot talk its way back in.
    const HttpReadResult part = ReadHttpRequest(text.substr(0, split % (text.size() + 1)), limit);
    if (part.kind == HttpReadResult::Kind::Refused) {
        FUZZ_CHECK(whole.kind == HttpReadResult::Kind::Refused, "a refusal stays a refusal");
    }
    return 0;
}
