#pragma once

#include "DDImage/ChannelSet.h"
#include "DDImage/Hash.h"
#include "DDImage/ImagePlane.h"
#include "DDImage/Op.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace DDImageStandIn {
class StandInKnob;
} // namespace DDImageStandIn

// The test host's node: owns one operator and its knobs, connects inputs,
// and drives validation, requests and rendering the way the host does.
//
// Changing a knob's value from outside the operator stores all knob values
// into the operator and then calls its knob_changed; values that the
// operator itself sets from a callback are stored when the callback returns
// and do not call knob_changed again.
class Node {
public:
    // A node of a registered class; null when no description has that name.
    static std::unique_ptr<Node> create(const std::string& className);
    template <class OpType, class... Arguments>
    static std::unique_ptr<Node> make(Arguments&&... arguments) {
        return adopt([&](Node* node) { return new OpType(node, arguments...); });
    }
    static std::unique_ptr<Node> adopt(const std::function<DD::Image::Op*(Node*)>& build);

    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    ~Node();

    DD::Image::Op* op() const { return op_.get(); }
    DD::Image::Iop* iop() const;

    // Connects an input; null leaves it at the operator's default input.
    void setInput(int index, const Node* input);

    DD::Image::Knob* knob(const std::string& name) const;
    DDImageStandIn::StandInKnob* standInKnob(const std::string& name) const;
    const std::vector<std::unique_ptr<DDImageStandIn::StandInKnob>>& knobs() const {
        return knobs_;
    }

    // Invalidates this operator and everything above it, then validates;
    // true when it ended without error or abort.
    bool validate();
    // Requests and fetches the whole output box of the given channels, packed.
    DD::Image::ImagePlane render(const DD::Image::ChannelSet& channels);
    const std::string& errorMessage() const;
    bool updateUI();
    // A fresh hash with what the operator appends.
    DD::Image::Hash hash() const;

private:
    friend class DDImageStandIn::StandInKnob;

    Node() = default;
    void knobValueChanged(DDImageStandIn::StandInKnob& knob);
    void storeKnobValues();

    std::unique_ptr<DD::Image::Op> op_;
    std::vector<std::unique_ptr<DDImageStandIn::StandInKnob>> knobs_;
    int callbackDepth_ = 0;
};
