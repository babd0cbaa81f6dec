#pragma once

#include "FakeOpenCL.h"

#include "foundation/Exception.h"

#include <gtest/gtest.h>

#include <string>

// Starts every test from a fresh fake and checks at its end that every handle the code
// created was released again.
class FakeOpenCLTest : public ::testing::Test {
protected:
    void SetUp() override { FakeOpenCL::reset(); }

    void TearDown() override {
        const FakeOpenCL::State& fake = FakeOpenCL::state();
        EXPECT_EQ(fake.contexts.created, fake.contexts.released) << "contexts";
        EXPECT_EQ(fake.queues.created, fake.queues.released) << "command queues";
        EXPECT_EQ(fake.programs.created, fake.programs.released) << "programs";
        EXPECT_EQ(fake.kernels.created, fake.kernels.released) << "kernels";
        EXPECT_EQ(fake.buffers.created, fake.buffers.released) << "buffers";
        EXPECT_EQ(fake.invalidReleases, 0) << "handles released twice or never created";
    }

    static FakeOpenCL::State& fake() { return FakeOpenCL::state(); }

    // The brief description of the Exception that the action throws.
    template <typename Action>
    static std::string failureOf(Action action) {
        try {
            action();
        } catch (const Exception& error) {
            return error.what();
        }
        ADD_FAILURE() << "no Exception was thrown";
        return {};
    }
};
