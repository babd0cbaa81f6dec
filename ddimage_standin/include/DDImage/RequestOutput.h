#pragma once

#include "DDImage/Box.h"
#include "DDImage/ChannelSet.h"

#include <cstddef>
#include <vector>

namespace DD {
namespace Image {

class Iop;

class DDImage_API RequestData {
public:
    RequestData(Iop* op, const Box& box, const ChannelSet& channels, int count)
        : op_(op), box_(box), channels_(channels), count_(count) {}
    Iop* op() const { return op_; }
    const Box& box() const { return box_; }
    const ChannelSet& channels() const { return channels_; }
    int count() const { return count_; }

private:
    Iop* op_;
    Box box_;
    ChannelSet channels_;
    int count_;
};

// The input areas a planar operator needs for an output box.
class DDImage_API RequestOutput {
public:
    RequestOutput() = default;
    template <class OpType>
    void request(OpType* op, const Box& box, const ChannelSet& channels, int count) {
        requests_.push_back(RequestData(op, box, channels, count));
    }
    void doRequest();
    size_t size() const { return requests_.size(); }
    const RequestData& operator[](size_t i) const { return requests_[i]; }

private:
    std::vector<RequestData> requests_;
};

} // namespace Image
} // namespace DD
