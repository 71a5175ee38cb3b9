// The holds on the course.
#include "results/Holds.h"

#include "base/NumberText.h"

namespace vandoret {
namespace {
constexpr std::int64_t kDay = 86'400'000;
} // namespace

std::int64_t HeldMilliseconds(const Hold& hold) {
    if (!hold.restart) {
        return 0;
    }
    const std::int64_t held = *hold.restart - hold.stop;
    return held < 0 ? held + kDay : held;
}

const Hold* HoldList::Open(std::string_view number) const {
    const std::string_view key = StartNumberKey(number);
    for (const Hold& hold : holds_) {
        if (!hold.restart && hold.number == key) {
            return &hold;
        }
    }
    return nullptr;
}

std::vector<std::string> HoldList::OpenNumbers() const {
    std::vector<std::string> numbers;
    for (const Hold& hold : holds_) {
        if (!hold.restart) {
            numbers.push_back(hold.number);
        }
    }
    return numbers;
}

std::int64_t HoldList::HeldTotal(std::string_view number) const {
    const std::string_view key = StartNumberKey(number);
    std::int64_t total = 0;
    for (const Hold& hold : holds_) {
        if (hold.number == key) {
            total += HeldMilliseconds(hold);
        }
    }
    return total;
}

bool HoldList::Begin(std::string_view number, std::int64_t stop, std::string reason) {
    const std::string_view key = StartNumberKey(number);
    if (key.empty() || Open(key) != nullptr) {
        return false;
    }
    holds_.push_back({std::string(key), stop, std::nullopt, std::move(reason)});
    ++revision_;
    return true;
}

bool HoldList::End(std::string_view number, std::int64_t restart) {
    for (Hold& hold : holds_) {
        if (!hold.restart && hold.number == StartNumberKey(number)) {
            hold.restart = restart;
            ++revision_;
            return true;
        }
    }
    return false;
}

void HoldList::Assign(std::vector<Hold> holds) {
    holds_ = std::move(holds);
    ++revision_;
}

void HoldList::Clear() {
    if (!holds_.empty()) {
        holds_.clear();
        ++revision_;
    }
}

} // namespace vandoret
