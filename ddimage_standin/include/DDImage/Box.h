#pragma once

#include "DDImage/DDImage_API.h"

namespace DD {
namespace Image {

// A pixel rectangle: left, bottom, right and top, right and top exclusive.
class DDImage_API Box {
public:
    Box() : x_(0), y_(0), r_(1), t_(1) {}
    Box(int x, int y, int r, int t) : x_(x), y_(y), r_(r), t_(t) {}

    int x() const { return x_; }
    void x(int v) { x_ = v; }
    int y() const { return y_; }
    void y(int v) { y_ = v; }
    int r() const { return r_; }
    void r(int v) { r_ = v; }
    int t() const { return t_; }
    void t(int v) { t_ = v; }
    int w() const { return r_ - x_; }
    void w(int v) { r_ = x_ + v; }
    int h() const { return t_ - y_; }
    void h(int v) { t_ = y_ + v; }

    void set(int x, int y, int r, int t) {
        x_ = x;
        y_ = y;
        r_ = r;
        t_ = t;
    }
    void set(const Box& b) { *this = b; }
    void clear() { set(0, 0, 1, 1); }
    void move(int dx, int dy) { set(x_ + dx, y_ + dy, r_ + dx, t_ + dy); }
    void pad(int dx, int dy, int dr, int dt) { set(x_ + dx, y_ + dy, r_ + dr, t_ + dt); }
    void pad(int dx, int dy) { pad(-dx, -dy, dx, dy); }
    void pad(int d) { pad(d, d); }
    void merge(const Box& b);
    void merge(int x, int y, int r, int t) { merge(Box(x, y, r, t)); }
    void intersect(const Box& b);
    void intersect(int x, int y, int r, int t) { intersect(Box(x, y, r, t)); }
    bool intersects(const Box& b) const;
    bool contains(const Box& b) const;
    int area() const { return w() * h(); }

private:
    int x_;
    int y_;
    int r_;
    int t_;
};

inline bool operator==(const Box& a, const Box& b) {
    return a.x() == b.x() && a.y() == b.y() && a.r() == b.r() && a.t() == b.t();
}
inline bool operator!=(const Box& a, const Box& b) {
    return !(a == b);
}

} // namespace Image
} // namespace DD
