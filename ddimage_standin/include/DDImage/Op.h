#pragma once

#include "DDImage/DDImage_API.h"
#include "DDImage/Description.h"
#include "DDImage/Hash.h"
#include "DDImage/OutputContext.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class Node;

namespace DD {
namespace Image {

namespace MetaData {
class Bundle;
} // namespace MetaData
class Knob;
class Knob_Closure;
typedef Knob_Closure& Knob_Callback;
typedef unsigned long long Flags;
class Iop;

// An operator of the node graph: inputs, knobs, validation, errors.
class DDImage_API Op {
public:
    class Description;

    enum GenerateType {
        OUTPUT_OP = 0,
        ANY_CONTEXT,
        INPUT_OP,
        INPUT_OP_PEEK,
        EXECUTABLE,
        EXECUTABLE_SKIP,
        EXECUTABLE_INPUT,
        UICONTEXT_ONLY
    };

    int inputs() const { return static_cast<int>(inputs_.size()); }
    virtual void inputs(int n);
    Op* input(int n) const;
    Op* input0() const { return input(0); }
    Op* input1() const { return input(1); }
    const std::vector<Op*>& getInputs() const { return inputs_; }

    // The operator connected to the node's input, also where input() is not
    // set (on the node's first operator, which runs the UI callbacks).
    Op* node_input(int n, GenerateType = OUTPUT_OP) const;
    Op* input_op(int n = 0) const { return node_input(n, INPUT_OP); }

    virtual int minimum_inputs() const { return 1; }
    virtual int maximum_inputs() const { return 1; }
    virtual bool test_input(int, Op*) const { return false; }
    virtual Op* default_input(int) const { return nullptr; }
    virtual const char* input_label(int, char*) const { return nullptr; }

    virtual void knobs(Knob_Callback) {}
    virtual int knob_changed(Knob*) { return 0; }
    Knob* knob(const char* name) const;
    virtual bool updateUI(const OutputContext&) { return false; }

    virtual const char* Class() const = 0;
    virtual const char* node_help() const = 0;
    Node* node() const { return node_; }
    std::string node_name() const;
    Op* firstOp() const;

    virtual void append(Hash&) {}
    const Hash& hash() const { return hash_; }
    const OutputContext& outputContext() const { return outputContext_; }
    virtual void setOutputContext(const OutputContext& context) { outputContext_ = context; }

    void validate(bool for_real = true);
    bool valid() const { return valid_; }
    bool real_valid() const { return realValid_; }
    bool invalidate();

    // printf-style; records the error and aborts. Inside _validate it also
    // leaves _validate through an exception of the host's own.
    void error(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void abort() const { aborted_ = true; }
    bool aborted() const { return aborted_; }
    bool hasError() const { return hasError_; }

    const MetaData::Bundle& fetchMetaData(const char* keyname);
    virtual const MetaData::Bundle& _fetchMetaData(const char* keyname);

    // Runs a command of the host's script interpreter; its result stays readable, and the
    // interpreter locked, until script_unlock.
    bool script_command(const char* command, bool py = true, bool eval = true) const;
    static const char* script_result(bool py = false);
    static void script_unlock();

    virtual Iop* iop() { return nullptr; }
    virtual const Iop* iop() const { return nullptr; }

    virtual ~Op();

protected:
    Op(Node* node);
    virtual void _validate(bool for_real);
    virtual void _open() {}
    virtual void _close() {}
    virtual void _invalidate() {}

private:
    friend class ::Node;

    Node* node_;
    std::vector<Op*> inputs_;
    Hash hash_;
    OutputContext outputContext_;
    // The host validates an operator on one thread at a time.
    std::recursive_mutex validation_;
    bool valid_ = false;
    bool realValid_ = false;
    bool validating_ = false;
    std::mutex errorAccess_;
    std::atomic<bool> hasError_{false};
    std::string errorMessage_;
    mutable std::atomic<bool> aborted_{false};
};

// Registers a node class with the host at load time.
class DDImage_API Op::Description : public DD::Image::Description {
protected:
    typedef Op* (*OpConstructor)(Node*);
    typedef Iop* (*IopConstructor)(Node*);
    static void add(DD::Image::Description* description);
    static const Description* current_;
    OpConstructor constructor_;

public:
    const char* name;
    Op* constructor(Node* node) const;
    Description(const char* n, OpConstructor c, License* l = nullptr);
    Description(const char* n, OpConstructor c, NodeBuilder nodeBuilder);
    Description(const char* n, const char* menu, OpConstructor c);
    Description(const char* n, const char* menu, IopConstructor c);
    static const Description* find(int i);

private:
    IopConstructor iopConstructor_ = nullptr;
};

} // namespace Image
} // namespace DD
