#include "correction_data/Calculations.h"
#include "correction_data/CoefficentCalculationFailedException.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

using CorrectionData::CoefficentCalculationFailedException;
using CorrectionData::Calculations::calculateCoefficients;

TEST(Calculations, PolynomialPassesThroughEveryPointAndIsAppended) {
    // Heights in millimetres with distortion-like and shading-like values; a
    // repeated first height is dropped, as it would contradict the second.
    const std::vector<float> heights{0.0F, 2.5F, 5.0F, 7.5F, 10.0F, 12.5F, 15.0F};
    for (const auto& [x, y, firstUsed] :
         std::vector<std::tuple<std::vector<float>, std::vector<float>, std::size_t>>{
             {heights, {0.0F, 2.49F, 4.97F, 7.41F, 9.82F, 12.18F, 14.5F}, 0},
             {heights, {100.0F, 98.2F, 93.1F, 85.0F, 74.4F, 62.0F, 48.7F}, 0},
             {{0, 0, 1, 2, 3, 4, 5}, {99, 1, 3, 5, 7, 9, 11}, 1},
             // Close but distinct heights that the data supports.
             {{0, 2.5F, 2.52F, 7.5F, 10, 12.5F, 15},
              {100.0F, 98.2F, 98.1F, 85.0F, 74.4F, 62.0F, 48.7F},
              0}}) {
        std::vector<float> coefficients{7.0F};
        calculateCoefficients(x, y, coefficients);
        ASSERT_EQ(coefficients.size(), 1 + x.size() - firstUsed);
        EXPECT_EQ(coefficients[0], 7.0F);
        for (std::size_t i = firstUsed; i < x.size(); ++i) {
            double sum = 0.0;
            for (std::size_t power = 1; power < coefficients.size(); ++power) {
                sum += coefficients[power] * std::pow(x[i], static_cast<double>(power - 1));
            }
            EXPECT_NEAR(sum, y[i], 2e-3) << y[0] << " at " << i;
        }
    }
}

TEST(Calculations, SingularShortAndNonFiniteInputsFailLeavingTheOutput) {
    struct Case {
        std::vector<float> x;
        std::vector<float> y;
        const char* vectors; // empty: the text is not checked
    };
    const std::vector<Case> cases{
        {{0, 0, 1, 2, 3, 4},
         {1, 2, 3, 4, 5, 6.5F},
         "X Vector: 0 0 1 2 3 4\nY Vector: 1 2 3 4 5 6.5\n"},
        // Inputs that would read past the values.
        {{}, {}, "X Vector:\nY Vector:\n"},
        {{0, 1, 2, 3, 4, 5, 6}, {0, 1, 2}, ""},
        {{0, 0, 1, 2, 3, 4, 5}, {0, 0, 1, 2, 3, 4}, ""}, // y must still cover all seven
        {{0, 1, 2, 3, 4, 5}, {0, 1, std::nanf(""), 3, 4, 5}, ""},
        {{0, 1, 2, 3, 4, INFINITY}, {0, 1, 2, 3, 4, 5}, ""},
        // Equal heights past the first pair: rounding hides the singular
        // matrix from LAPACK, and the coefficients come out near 1e15.
        {{0, 2.5F, 2.5F, 7.5F, 10, 12.5F, 15},
         {100, 98.2F, 93.1F, 85, 74.4F, 62, 48.7F},
         "X Vector: 0 2.5 2.5 7.5 10 12.5 15\nY Vector: 100 98.2 93.1 85 74.4 62 48.7\n"},
        {{0, 2.5F, 2.5F, 7.5F, 10, 12.5F, 15}, {100, 98.2F, 98.2F, 85, 74.4F, 62, 48.7F}, ""},
        {{0, 2.5F, 5, 5, 10, 12.5F, 15}, {0, 2.49F, 4.97F, 4.97F, 9.82F, 12.18F, 14.5F}, ""},
        // Distinct heights whose polynomial cannot be held in single precision:
        // its float coefficients miss the points by percent.
        {{0, 2.5F, 2.5001F, 7.5F, 10, 12.5F, 15}, {100, 98.2F, 93.1F, 85, 74.4F, 62, 48.7F}, ""},
        // Values so large that the coefficients overflow single precision.
        {{0, 1, 2, 3, 4, 5}, {0, 3e38F, -3e38F, 3e38F, -3e38F, 3e38F}, ""},
    };
    for (std::size_t index = 0; index < cases.size(); ++index) {
        const Case& c = cases[index];
        std::vector<float> coefficients{42.0F};
        try {
            calculateCoefficients(c.x, c.y, coefficients);
            ADD_FAILURE() << "case " << index << " did not fail";
        } catch (const CoefficentCalculationFailedException& error) {
            if (*c.vectors != '\0') {
                EXPECT_EQ(error.detailedDescription(),
                          std::string("Calculation of the polynomial coefficients did fail.\n") +
                              c.vectors);
            }
        }
        EXPECT_EQ(coefficients, std::vector<float>{42.0F}) << "output touched in case " << index;
    }
}
