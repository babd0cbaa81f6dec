#pragma once

#include "DDImage/DDImage_API.h"
#include "DDImage/ddImageVersionNumbers.h"

#include <vector>

class Node;
extern "C" {
struct SecurityEnvelope;
}

namespace DD {
namespace Image {

struct DDImage_API License {
    static unsigned this_system_id;
    unsigned system_id;
    const char* name;
    const char* version;
    SecurityEnvelope* security;
};

class DDImage_API Description {
public:
    typedef Node* (*NodeBuilder)(void*);
    typedef std::vector<Description*> DescriptionList;

    const char* compiled = nullptr;
    const char* plugin = nullptr;
    License* license = nullptr;

protected:
    void ctor(void (*f)(Description*)) {
        compiled = __DATE__ " for " kDDImageVersion;
        ctor2(f);
    }
    void ctor(void (*f)(Description*), NodeBuilder nb) {
        nodeBuilder_ = nb;
        ctor(f);
    }

private:
    void ctor2(void (*f)(Description*));
    NodeBuilder nodeBuilder_ = nullptr;
};

} // namespace Image
} // namespace DD
