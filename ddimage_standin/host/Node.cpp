#include "DDImageStandIn/Node.h"

#include "DDImage/Iop.h"
#include "DDImage/Knobs.h"
#include "DDImageStandIn/StandInKnob.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

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

// More nested knob_changed calls than this are a ping-pong that never settles.
const int maximumKnobChangedDepth = 16;

thread_local int knobChangedDepth = 0;

std::atomic<int> terminalModes{0};

// Tasks that worker threads hand to the main thread.
struct MainThreadQueue {
    std::mutex access;
    std::condition_variable changed;
    std::deque<std::packaged_task<void()>> tasks;
    std::thread::id mainThread;
    bool serving = false;
};

struct ScriptState {
    std::mutex access;
    Node::ScriptInterpreter interpreter;
    std::recursive_mutex lock;
    std::string result;
};

ScriptState& scriptState() {
    static ScriptState state;
    return state;
}

MainThreadQueue& mainThreadQueue() {
    static MainThreadQueue queue;
    return queue;
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
    node->firstOp_.reset(build(node.get()));
    node->inputs_.assign(static_cast<size_t>(node->op_->inputs()), nullptr);
    for (int i = 0; i < node->op_->inputs(); ++i) {
        node->op_->inputs_[static_cast<size_t>(i)] = node->op_->default_input(i);
    }
    MakeKnobsClosure make(*node, node->knobs_);
    node->op_->knobs(make);
    node->storeKnobValues();
    return node;
}

DD::Image::Op* Node::inputOp(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= inputs_.size() || inputs_[index] == nullptr) {
        return nullptr;
    }
    return inputs_[static_cast<size_t>(index)]->op();
}

void Node::setScriptInterpreter(ScriptInterpreter interpreter) {
    ScriptState& state = scriptState();
    const std::lock_guard<std::mutex> lock(state.access);
    state.interpreter = std::move(interpreter);
}

bool Node::runScript(const std::string& command, bool python) {
    ScriptState& state = scriptState();
    state.lock.lock();
    ScriptInterpreter interpreter;
    {
        const std::lock_guard<std::mutex> lock(state.access);
        interpreter = state.interpreter;
    }
    state.result.clear();
    return interpreter && interpreter(command, python, state.result);
}

const char* Node::scriptResult() {
    return scriptState().result.c_str();
}

void Node::unlockScript() {
    scriptState().lock.unlock();
}

Node::TerminalMode::TerminalMode() {
    ++terminalModes;
}

Node::TerminalMode::~TerminalMode() {
    --terminalModes;
}

bool Node::inTerminalMode() {
    return terminalModes > 0;
}

bool Node::runningKnobChanged() {
    return knobChangedDepth > 0;
}

void Node::runOnMainThread(const std::function<void()>& task) {
    MainThreadQueue& queue = mainThreadQueue();
    std::unique_lock<std::mutex> lock(queue.access);
    if (!queue.serving || std::this_thread::get_id() == queue.mainThread) {
        lock.unlock();
        task();
        return;
    }
    std::packaged_task<void()> packaged(task);
    std::future<void> done = packaged.get_future();
    queue.tasks.push_back(std::move(packaged));
    queue.changed.notify_all();
    lock.unlock();
    if (done.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
        throw std::runtime_error("the main thread did not take the task");
    }
    done.get();
}

bool Node::waitForTasksFromWorkers(size_t count) {
    MainThreadQueue& queue = mainThreadQueue();
    std::unique_lock<std::mutex> lock(queue.access);
    return queue.changed.wait_for(lock, std::chrono::minutes(1),
                                  [&queue, count] { return queue.tasks.size() >= count; });
}

std::vector<DD::Image::ImagePlane>
Node::renderConcurrently(const std::vector<DD::Image::ChannelSet>& layers,
                         const DD::Image::Box& box, bool packed,
                         const std::function<void()>& mainThreadWork) {
    DD::Image::Iop* image = iop();
    image->validate(true);
    DD::Image::ChannelSet all;
    for (const DD::Image::ChannelSet& layer : layers) {
        all += layer;
    }
    image->request(box, all, 1);

    MainThreadQueue& queue = mainThreadQueue();
    {
        const std::lock_guard<std::mutex> lock(queue.access);
        queue.mainThread = std::this_thread::get_id();
        queue.serving = true;
    }
    std::vector<DD::Image::ImagePlane> planes;
    for (const DD::Image::ChannelSet& layer : layers) {
        planes.emplace_back(box, packed, layer);
    }
    std::vector<std::future<void>> workers;
    for (DD::Image::ImagePlane& plane : planes) {
        workers.push_back(
            std::async(std::launch::async, [image, &plane] { image->fetchPlane(plane); }));
    }
    mainThreadWork();
    for (std::future<void>& worker : workers) {
        while (worker.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
            std::unique_lock<std::mutex> lock(queue.access);
            if (queue.tasks.empty()) {
                continue;
            }
            std::packaged_task<void()> task = std::move(queue.tasks.front());
            queue.tasks.pop_front();
            lock.unlock();
            task();
        }
    }
    {
        const std::lock_guard<std::mutex> lock(queue.access);
        queue.serving = false;
    }
    for (std::future<void>& worker : workers) {
        worker.get();
    }
    return planes;
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
    inputs_.at(static_cast<size_t>(index)) = input;
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
    DD::Image::Hash key = hash();
    foreach (channel, channels) {
        key.append(static_cast<int>(channel));
    }
    key.append(box.x());
    key.append(box.y());
    key.append(box.r());
    key.append(box.t());
    const auto cached = renderedPlanes_.find(key.value());
    if (cached != renderedPlanes_.end()) {
        return cached->second;
    }
    image->request(box, channels, 1);
    DD::Image::ImagePlane plane(box, true, channels);
    ++renderCount_;
    image->fetchPlane(plane);
    if (!image->hasError() && !image->aborted()) {
        renderedPlanes_[key.value()] = plane;
    }
    return plane;
}

const std::string& Node::errorMessage() const {
    return op_->errorMessage_;
}

bool Node::updateUI() {
    if (inTerminalMode()) {
        throw std::logic_error("updateUI in terminal mode: there is no panel to refresh");
    }
    const bool result = firstOp_->updateUI(firstOp_->outputContext());
    storeKnobValues();
    return result;
}

DD::Image::Hash Node::hash() const {
    DD::Image::Hash hash;
    for (const auto& knob : knobs_) {
        if (knob->flag(DD::Image::Knob::NO_RERENDER)) {
            continue;
        }
        hash.append(knob->name());
        hash.append(knob->get_value());
        hash.append(knob->text());
    }
    for (size_t i = 0; i < inputs_.size(); ++i) {
        if (inputs_[i] != nullptr) {
            hash.append(inputs_[i]->hash());
        } else {
            hash.append(static_cast<int>(i));
        }
    }
    op_->append(hash);
    return hash;
}

void Node::pressButton(const std::string& name) {
    DDImageStandIn::StandInKnob* button = standInKnob(name);
    if (button == nullptr || button->type() != DD::Image::SCRIPT_KNOB) {
        throw std::invalid_argument("no button " + name);
    }
    knobValueChanged(*button);
}

void Node::knobValueChanged(DDImageStandIn::StandInKnob& knob) {
    if (callbackDepth_ > 0) {
        return; // a knobs() pass
    }
    if (knobChangedDepth >= maximumKnobChangedDepth) {
        throw std::logic_error("knob_changed keeps changing \"" + knob.name() + "\"");
    }
    storeKnobValues();
    if (inTerminalMode()) {
        op_->invalidate();
        return;
    }
    ++knobChangedDepth;
    try {
        firstOp_->knob_changed(&knob);
    } catch (...) {
        --knobChangedDepth;
        throw;
    }
    --knobChangedDepth;
    storeKnobValues();
    op_->invalidate();
}

void Node::storeKnobValues() {
    storeKnobValues(*op_);
    storeKnobValues(*firstOp_);
}

void Node::storeKnobValues(DD::Image::Op& op) {
    StoreKnobsClosure store(knobs_);
    ++callbackDepth_;
    try {
        op.knobs(store);
    } catch (...) {
        --callbackDepth_;
        throw;
    }
    --callbackDepth_;
}
