#include "DDImage/Box.h"
#include "DDImage/Format.h"

#include <algorithm>

namespace DD {
namespace Image {

void Box::merge(const Box& b) {
    set(std::min(x_, b.x_), std::min(y_, b.y_), std::max(r_, b.r_), std::max(t_, b.t_));
}

void Box::intersect(const Box& b) {
    set(std::max(x_, b.x_), std::max(y_, b.y_), std::min(r_, b.r_), std::min(t_, b.t_));
}

bool Box::intersects(const Box& b) const {
    return x_ < b.r_ && b.x_ < r_ && y_ < b.t_ && b.y_ < t_;
}

bool Box::contains(const Box& b) const {
    return x_ <= b.x_ && y_ <= b.y_ && b.r_ <= r_ && b.t_ <= t_;
}

Format Format::None(0, 0);

} // namespace Image
} // namespace DD
