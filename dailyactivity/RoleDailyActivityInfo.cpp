#include "dailyactivity/RoleDailyActivityInfo.h"

#include <climits>

RoleDailyActivityInfo::~RoleDailyActivityInfo() { counts_.clear(); }

bool RoleDailyActivityInfo::GetCompleteNum(const int& type, int& completeNum) const {
    auto it = counts_.find(type);
    completeNum = it == counts_.end() ? 0 : it->second;
    return true;
}

const int& RoleDailyActivityInfo::AddCompleteNum(const int& type, const int& num) {
    if (num <= 0) return num;
    auto it = counts_.find(type);
    if (it == counts_.end()) return counts_.emplace(type, num).first->second;
    int& stored = it->second;
    stored = stored > INT_MAX - num ? INT_MAX : stored + num;
    return stored;
}
