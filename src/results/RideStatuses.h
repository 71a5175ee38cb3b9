// The statuses the operator gave riders who get no ranked time ("A", "E", disqualified, "n.g."),
// by start number. They are kept apart from the lists: the start list is rewritten by the
// spreadsheet, and a retired rider has no finish row. The registrations journal every change.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "base/NumberText.h"
#include "results/Rules.h"

namespace vandoret {

class RideStatuses {
public:
    using Map = std::map<std::string, RideStatus, std::less<>>;

    // The status of a number, matched as everywhere (without the blanks around it).
    RideStatus Of(std::string_view nr) const {
        const auto it = byNumber_.find(StartNumberKey(nr));
        return it == byNumber_.end() ? RideStatus::None : it->second;
    }
    // Sets (None: removes) the status of a number; false when nothing changed or the number is blank.
    bool Set(std::string_view nr, RideStatus status) {
        const std::string_view key = StartNumberKey(nr);
        if (key.empty() || Of(key) == status) {
            return false;
        }
        if (status == RideStatus::None) {
            byNumber_.erase(byNumber_.find(key));
        } else {
            byNumber_[std::string(key)] = status;
        }
        ++revision_;
        return true;
    }
    void Clear() {
        if (!byNumber_.empty()) {
            byNumber_.clear();
            ++revision_;
        }
    }
    const Map& All() const { return byNumber_; }
    // Counts every change.
    std::uint64_t Revision() const { return revision_; }

private:
    Map byNumber_;
    std::uint64_t revision_ = 0;
};

} // namespace vandoret
