#include "DDImage/Op.h"

#include "DDImage/Iop.h"
#include "DDImage/MetaData.h"
#include "DDImageStandIn/Node.h"

#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace DD {
namespace Image {

namespace {

// What error() throws inside _validate; validate() catches it.
struct ValidationError {};

std::vector<Op::Description*>& registry() {
    static std::vector<Op::Description*> descriptions;
    return descriptions;
}

} // namespace

Op::Op(Node* node) : node_(node) {}

Op::~Op() = default;

void Op::inputs(int n) {
    inputs_.resize(static_cast<size_t>(n < 0 ? 0 : n), nullptr);
}

Op* Op::input(int n) const {
    // Like the host, an index beyond inputs() is a programming error.
    return inputs_.at(static_cast<size_t>(n));
}

Op* Op::node_input(int n, GenerateType) const {
    return node_ != nullptr ? node_->inputOp(n) : nullptr;
}

std::string Op::node_name() const {
    return node_ != nullptr ? node_->name() : std::string();
}

bool Op::script_command(const char* command, bool py, bool /*eval*/) const {
    return Node::runScript(command != nullptr ? command : "", py);
}

const char* Op::script_result(bool /*py*/) {
    return Node::scriptResult();
}

void Op::script_unlock() {
    Node::unlockScript();
}

Op* Op::firstOp() const {
    return node_ != nullptr ? node_->firstOp() : const_cast<Op*>(this);
}

Knob* Op::knob(const char* name) const {
    return node_ != nullptr && name != nullptr ? node_->knob(name) : nullptr;
}

void Op::validate(bool for_real) {
    if (Node::runningKnobChanged()) {
        // The host may call knob_changed where no operator can be validated.
        throw std::logic_error(std::string("validate of ") + Class() + " from knob_changed");
    }
    const std::lock_guard<std::recursive_mutex> lock(validation_);
    if ((valid_ && (realValid_ || !for_real)) || validating_) {
        return;
    }
    validating_ = true;
    try {
        _validate(for_real);
    } catch (const ValidationError&) {
        // error() was called: the op stays in its error state.
    } catch (...) {
        validating_ = false;
        throw;
    }
    validating_ = false;
    valid_ = true;
    realValid_ = for_real;
}

bool Op::invalidate() {
    const std::lock_guard<std::recursive_mutex> lock(validation_);
    valid_ = false;
    realValid_ = false;
    hasError_ = false;
    errorMessage_.clear();
    aborted_ = false;
    _invalidate();
    return true;
}

void Op::error(const char* fmt, ...) {
    char message[2048] = {};
    va_list arguments;
    va_start(arguments, fmt);
    std::vsnprintf(message, sizeof message, fmt, arguments);
    va_end(arguments);
    {
        const std::lock_guard<std::mutex> lock(errorAccess_);
        hasError_ = true;
        errorMessage_ = message;
    }
    aborted_ = true;
    // Only the thread that validates leaves _validate; the lock is held while validating.
    if (validating_ && validation_.try_lock()) {
        validation_.unlock();
        throw ValidationError();
    }
}

const MetaData::Bundle& Op::fetchMetaData(const char* keyname) {
    return _fetchMetaData(keyname);
}

const MetaData::Bundle& Op::_fetchMetaData(const char* keyname) {
    if (inputs() > 0 && input(0) != nullptr) {
        return input(0)->fetchMetaData(keyname);
    }
    return MetaData::emptyBundle();
}

void Op::_validate(bool for_real) {
    for (Op* in : inputs_) {
        if (in != nullptr) {
            in->validate(for_real);
        }
    }
}

unsigned License::this_system_id = 0;

void Description::ctor2(void (*f)(Description*)) {
    f(this);
}

const Op::Description* Op::Description::current_ = nullptr;

void Op::Description::add(DD::Image::Description* description) {
    registry().push_back(static_cast<Op::Description*>(description));
}

Op* Op::Description::constructor(Node* node) const {
    if (constructor_ != nullptr) {
        return constructor_(node);
    }
    return iopConstructor_(node);
}

Op::Description::Description(const char* n, OpConstructor c, License* l)
    : constructor_(c), name(n) {
    license = l;
    ctor(add);
}

Op::Description::Description(const char* n, OpConstructor c, NodeBuilder nodeBuilder)
    : constructor_(c), name(n) {
    ctor(add, nodeBuilder);
}

Op::Description::Description(const char* n, const char* /*menu*/, OpConstructor c)
    : constructor_(c), name(n) {
    ctor(add);
}

Op::Description::Description(const char* n, const char* /*menu*/, IopConstructor c)
    : constructor_(nullptr), name(n), iopConstructor_(c) {
    ctor(add);
}

const Op::Description* Op::Description::find(int i) {
    if (i < 0 || static_cast<size_t>(i) >= registry().size()) {
        return nullptr;
    }
    return registry()[static_cast<size_t>(i)];
}

} // namespace Image
} // namespace DD
