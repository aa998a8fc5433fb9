#pragma once
// Where the statistics watch hands the good records of each pass (the history store): the sink
// takes them and returns at once, the watch never waits on what the sink does with them.

#include "service/values.h"

#include <vector>

namespace service {

class StatisticsSink {
public:
    virtual ~StatisticsSink() = default;
    // The records of one pass read well, in the order read. Called on the watch's thread; must
    // not block.
    virtual void passRead(std::vector<PoolStatistics> records) = 0;
};

} // namespace service
