#pragma once

#include "DDImage/ChannelSet.h"
#include "DDImage/Hash.h"
#include "DDImage/ImagePlane.h"
#include "DDImage/Op.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace DDImageStandIn {
class StandInKnob;
} // namespace DDImageStandIn

// The test host's node: owns its operators and knobs, connects inputs, and
// drives validation, requests and rendering the way the host does.
//
// A node has two operators of its class: the one that validates and renders
// (op()) and its first operator (firstOp()), which runs the UI callbacks
// (knob_changed, updateUI) and whose inputs are not set; it reaches them
// through node_input. Changing a knob's value stores all knob values into
// both and calls knob_changed, also for values that knob_changed itself
// sets; validating an operator from knob_changed is an error.
class Node {
public:
    // A node of a registered class; null when no description has that name.
    static std::unique_ptr<Node> create(const std::string& className);
    template <class OpType, class... Arguments>
    static std::unique_ptr<Node> make(Arguments&&... arguments) {
        return adopt([&](Node* node) { return new OpType(node, arguments...); });
    }
    static std::unique_ptr<Node> adopt(const std::function<DD::Image::Op*(Node*)>& build);

    // While one lives, scripts run as in a terminal render (nuke -x): there is no panel, so
    // knob values set by a script reach the operators without knob_changed, and updateUI is
    // never called.
    class TerminalMode {
    public:
        TerminalMode();
        ~TerminalMode();
        TerminalMode(const TerminalMode&) = delete;
        TerminalMode& operator=(const TerminalMode&) = delete;
    };
    static bool inTerminalMode();

    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    ~Node();

    DD::Image::Op* op() const { return op_.get(); }
    // The node's name in the script ("Read1").
    const std::string& name() const { return name_; }
    void setName(const std::string& name) { name_ = name; }

    // The host's script interpreter, as tests provide it: given a command and whether it is
    // Python, true with the result, or false. Running a command locks the interpreter until
    // unlockScript; without an interpreter every command fails.
    using ScriptInterpreter =
        std::function<bool(const std::string& command, bool python, std::string& result)>;
    static void setScriptInterpreter(ScriptInterpreter interpreter);
    static bool runScript(const std::string& command, bool python);
    static const char* scriptResult();
    static void unlockScript();
    DD::Image::Iop* iop() const;
    DD::Image::Op* firstOp() const { return firstOp_.get(); }
    // The operator of the node connected to an input; null when none is.
    DD::Image::Op* inputOp(int index) const;

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
    // Requests and fetches the whole output box of the given channels, packed. Like the host, it
    // keeps rendered planes by the operator's hash: an operator whose hash is that of a plane
    // rendered before is not rendered again.
    DD::Image::ImagePlane render(const DD::Image::ChannelSet& channels);
    // How often render() had the operator render a plane.
    size_t renderCount() const { return renderCount_; }
    // Renders layers the way the host's workers do: the union of their channels is requested
    // over the box, then each layer is fetched as one plane (packed or not) on a thread of its
    // own, while this thread, the main one, runs `mainThreadWork` and then answers the tasks
    // the workers hand it (runOnMainThread) until all are done.
    std::vector<DD::Image::ImagePlane>
    renderConcurrently(const std::vector<DD::Image::ChannelSet>& layers, const DD::Image::Box& box,
                       bool packed, const std::function<void()>& mainThreadWork);
    // Runs a task on the main thread (the one running renderConcurrently) and waits for it, as
    // host calls that need the main thread do; throws when the main thread does not take it
    // within a minute.
    static void runOnMainThread(const std::function<void()>& task);
    // Waits until this many tasks from workers wait for the main thread (at most a minute);
    // true when they do.
    static bool waitForTasksFromWorkers(size_t count);
    static bool runningKnobChanged();
    const std::string& errorMessage() const;
    // The panel's refresh; throws in terminal mode, where there is none.
    bool updateUI();
    // The operator's hash as the host makes it: the values of its knobs (but those flagged
    // NO_RERENDER), the hashes of its inputs, then what the operator appends.
    DD::Image::Hash hash() const;
    // Presses a button knob: knob_changed runs on the first operator, as for a user's click.
    void pressButton(const std::string& name);

private:
    friend class DDImageStandIn::StandInKnob;

    Node() = default;
    void knobValueChanged(DDImageStandIn::StandInKnob& knob);
    void storeKnobValues(DD::Image::Op& op);
    void storeKnobValues();

    std::string name_;
    std::unique_ptr<DD::Image::Op> op_;
    std::unique_ptr<DD::Image::Op> firstOp_;
    std::vector<const Node*> inputs_;
    std::vector<std::unique_ptr<DDImageStandIn::StandInKnob>> knobs_;
    int callbackDepth_ = 0;
    std::map<DD::Image::Hash::HashType, DD::Image::ImagePlane> renderedPlanes_;
    size_t renderCount_ = 0;
};
