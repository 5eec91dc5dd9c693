// The main role's completion count per activity type, kept exactly as the server reports it
// (no range check on the type, no bound on the count). A type without entry counts as 0.
#pragma once

#include <unordered_map>

#include "DailyActivity/IRoleDailyActivityInfo.h"

class RoleDailyActivityInfo : public IRoleDailyActivityInfo {
public:
    RoleDailyActivityInfo() = default;
    ~RoleDailyActivityInfo() override;

    bool GetCompleteNum(const int& type, int& completeNum) const override;

    // table[type] = count: inserts or overwrites (what the server's message 0 does).
    void SetCompleteNum(int type, int count) { counts_[type] = count; }
    void Clear() { counts_.clear(); }
    // Adds num (when above 0) to the type's count and returns the count; returns num
    // unchanged when it is 0 or below. The sum stops at the largest int.
    const int& AddCompleteNum(const int& type, const int& num);

    size_t Size() const { return counts_.size(); }

private:
    std::unordered_map<int, int> counts_;
};
