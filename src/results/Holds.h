// The holds on the course: a fence judge stops a rider ("Nr. 12 angehalten") and later lets the
// rider go on ("wieder unterwegs"). Each hold has the moment it began, the moment it ended (none
// while it is open) and a reason; a rider may be held several times, but only one hold of a
// number is open at a time. The held time of a rider is the sum of the rider's ended holds; it is
// written into "Pausen" of the rider's stop row (timing), so the results deduct it as a pause.
//
// Moments are milliseconds of the day; a hold that ends "before" it began ran across midnight.
//   HeldMilliseconds({stop 09:40:00,0, restart 09:42:15,0}) == 135'000
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandoret {

struct Hold {
    std::string number; // StartNumberKey of the rider's number
    std::int64_t stop = 0;
    std::optional<std::int64_t> restart;
    std::string reason;
    bool operator==(const Hold&) const = default;
};

// The length of an ended hold (0 while it is open).
std::int64_t HeldMilliseconds(const Hold& hold);

class HoldList {
public:
    const std::vector<Hold>& All() const { return holds_; }
    // The open hold of a number, if any.
    const Hold* Open(std::string_view number) const;
    // The numbers with an open hold, in the order they were held.
    std::vector<std::string> OpenNumbers() const;
    // The sum of the number's ended holds.
    std::int64_t HeldTotal(std::string_view number) const;
    // A new hold; false when the number already has an open one (nothing changes).
    bool Begin(std::string_view number, std::int64_t stop, std::string reason);
    // Ends the open hold of the number; false when there is none.
    bool End(std::string_view number, std::int64_t restart);
    void Assign(std::vector<Hold> holds);
    void Clear();
    std::uint64_t Revision() const { return revision_; }

private:
    std::vector<Hold> holds_;
    std::uint64_t revision_ = 0;
};

} // namespace vandoret
