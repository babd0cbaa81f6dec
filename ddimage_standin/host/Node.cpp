#include "DDImageStandIn/Node.h"

#include "DDImage/Iop.h"
#include "DDImage/Knobs.h"
#include "DDImageStandIn/StandInKnob.h"

#include <stdexcept>

namespace {

// The first knobs() pass: makes a knob for every call.
class MakeKnobsClosure : public DD::Image::Knob_Closure {
public:
    MakeKnobsClosure(Node& node, std::vector<std::unique_ptr<DDImageStandIn::StandInKnob>>& knobs)
        : Knob_Closure(true), node_(node), knobs_(knobs) {}

private:
    DD::Image::Knob* call(int type, DD::Image::StoreType datatype, void* pointer, const char* name,
                          const char* label, const void* extra) override {
        knobs_.push_back(
            std::make_unique<DDImageStandIn::StandInKnob>(this, node_, type, name, label, extra));
        DDImageStandIn::StandInKnob* knob = knobs_.back().get();
        if (pointer != nullptr) {
            knob->readFrom(datatype, pointer);
        }
        setLastMadeKnob(knob);
        return knob;
    }

    Node& node_;
    std::vector<std::unique_ptr<DDImageStandIn::StandInKnob>>& knobs_;
};

// Later passes: store each knob's value into the operator's member. The calls
// must come in the order of the first pass, as the host expects.
class StoreKnobsClosure : public DD::Image::Knob_Closure {
public:
    explicit StoreKnobsClosure(
        const std::vector<std::unique_ptr<DDImageStandIn::StandInKnob>>& knobs)
        : Knob_Closure(false), knobs_(knobs) {}

private:
    DD::Image::Knob* call(int /*type*/, DD::Image::StoreType datatype, void* pointer,
                          const char* name, const char* /*label*/, const void* /*extra*/) override {
        if (next_ >= knobs_.size()) {
            throw std::logic_error("knobs() declared more knobs than on its first pass");
        }
        DDImageStandIn::StandInKnob* knob = knobs_[next_++].get();
        if (name != nullptr && knob->name() != name) {
            throw std::logic_error(std::string("knobs() declared \"") + name + "\" where \"" +
                                   knob->name() + "\" stood on its first pass");
        }
        if (pointer != nullptr) {
            knob->storeInto(datatype, pointer);
        }
        setLastMadeKnob(knob);
        return knob;
    }

    const std::vector<std::unique_ptr<DDImageStandIn::StandInKnob>>& knobs_;
    size_t next_ = 0;
};

void invalidateUpstream(DD::Image::Op* op) {
    if (op == nullptr) {
        return;
    }
    op->invalidate();
    for (DD::Image::Op* input : op->getInputs()) {
        invalidateUpstream(input);
    }
}

} // namespace

std::unique_ptr<Node> Node::create(const std::string& className) {
    for (int i = 0; DD::Image::Op::Description::find(i) != nullptr; ++i) {
        const DD::Image::Op::Description* description = DD::Image::Op::Description::find(i);
        if (className == description->name) {
            return adopt([description](Node* node) { return description->constructor(node); });
        }
    }
    return nullptr;
}

std::unique_ptr<Node> Node::adopt(const std::function<DD::Image::Op*(Node*)>& build) {
    std::unique_ptr<Node> node(new Node());
    node->op_.reset(build(node.get()));
    for (int i = 0; i < node->op_->inputs(); ++i) {
        node->op_->inputs_[static_cast<size_t>(i)] = node->op_->default_input(i);
    }
    MakeKnobsClosure make(*node, node->knobs_);
    node->op_->knobs(make);
    node->storeKnobValues();
    return node;
}

Node::~Node() = default;

DD::Image::Iop* Node::iop() const {
    return op_->iop();
}

void Node::setInput(int index, const Node* input) {
    DD::Image::Op* op = input != nullptr ? input->op() : op_->default_input(index);
    if (input != nullptr && !op_->test_input(index, op)) {
        throw std::invalid_argument("this input does not take that operator");
    }
    op_->inputs_.at(static_cast<size_t>(index)) = op;
    op_->invalidate();
}

DD::Image::Knob* Node::knob(const std::string& name) const {
    return standInKnob(name);
}

DDImageStandIn::StandInKnob* Node::standInKnob(const std::string& name) const {
    for (const auto& knob : knobs_) {
        if (knob->name() == name && !name.empty()) {
            return knob.get();
        }
    }
    return nullptr;
}

bool Node::validate() {
    invalidateUpstream(op_.get());
    op_->validate(true);
    return !op_->hasError() && !op_->aborted();
}

DD::Image::ImagePlane Node::render(const DD::Image::ChannelSet& channels) {
    DD::Image::Iop* image = iop();
    image->validate(true);
    const DD::Image::Box box = image->info().box();
    image->request(box, channels, 1);
    DD::Image::ImagePlane plane(box, true, channels);
    image->fetchPlane(plane);
    return plane;
}

const std::string& Node::errorMessage() const {
    return op_->errorMessage_;
}

bool Node::updateUI() {
    ++callbackDepth_;
    const bool result = op_->updateUI(op_->outputContext());
    --callbackDepth_;
    storeKnobValues();
    return result;
}

DD::Image::Hash Node::hash() const {
    DD::Image::Hash hash;
    op_->append(hash);
    return hash;
}

void Node::knobValueChanged(DDImageStandIn::StandInKnob& knob) {
    if (callbackDepth_ > 0) {
        return;
    }
    storeKnobValues();
    ++callbackDepth_;
    op_->knob_changed(&knob);
    --callbackDepth_;
    storeKnobValues();
    op_->invalidate();
}

void Node::storeKnobValues() {
    StoreKnobsClosure store(knobs_);
    ++callbackDepth_;
    op_->knobs(store);
    --callbackDepth_;
}
