#include "correction_data/Calculations.h"
#include "correction_data/CoefficentCalculationFailedException.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using CorrectionData::CoefficentCalculationFailedException;
using CorrectionData::Calculations::calculateCoefficients;

namespace {

double evaluate(const std::vector<float>& coefficients, std::size_t from, double x) {
    double sum = 0.0;
    for (std::size_t power = 0; from + power < coefficients.size(); ++power) {
        sum += coefficients[from + power] * std::pow(x, static_cast<double>(power));
    }
    return sum;
}

} // namespace

TEST(Calculations, PolynomialPassesThroughEveryPointAndIsAppended) {
    struct Case {
        const char* what;
        std::vector<float> x;
        std::vector<float> y;
        std::size_t firstUsed; // a repeated first of seven heights is dropped
    };
    // Heights in millimetres with distortion-like and shading-like values.
    const std::vector<float> heights{0.0F, 2.5F, 5.0F, 7.5F, 10.0F, 12.5F, 15.0F};
    const std::vector<Case> cases{
        {"distortion", heights, {0.0F, 2.49F, 4.97F, 7.41F, 9.82F, 12.18F, 14.5F}, 0},
        {"shading", heights, {100.0F, 98.2F, 93.1F, 85.0F, 74.4F, 62.0F, 48.7F}, 0},
        {"six points", {0.5F, 1, 2, 3, 4, 5}, {1, 4, 9, 16, 25, 36}, 0},
        // The dropped first point would contradict the second one.
        {"repeated first height", {0, 0, 1, 2, 3, 4, 5}, {99, 1, 3, 5, 7, 9, 11}, 1},
    };
    for (const Case& c : cases) {
        std::vector<float> coefficients{7.0F, 8.0F};
        calculateCoefficients(c.x, c.y, coefficients);
        ASSERT_EQ(coefficients.size(), 2 + c.x.size() - c.firstUsed) << c.what;
        EXPECT_EQ(coefficients[0], 7.0F) << c.what;
        EXPECT_EQ(coefficients[1], 8.0F) << c.what;
        for (std::size_t i = c.firstUsed; i < c.x.size(); ++i) {
            EXPECT_NEAR(evaluate(coefficients, 2, c.x[i]), c.y[i], 2e-3) << c.what << " " << i;
        }
    }
}

TEST(Calculations, SingularShortAndNonFiniteInputsFailLeavingTheOutput) {
    const float nan = std::nanf("");
    struct Case {
        std::vector<float> x;
        std::vector<float> y;
        const char* vectors; // empty: the text is not checked
    };
    const std::vector<Case> cases{
        {{0, 0, 1, 2, 3, 4},
         {1, 2, 3, 4, 5, 6.5F},
         "X Vector: 0 0 1 2 3 4\nY Vector: 1 2 3 4 5 6.5\n"},
        {{0, 1, 2, 2, 4, 5, 6}, {0, 1, 2, 3, 4, 5, 6}, ""},
        // Inputs that would read past the values.
        {{}, {}, "X Vector:\nY Vector:\n"},
        {{0, 1, 2, 3, 4, 5, 6}, {0, 1, 2}, "X Vector: 0 1 2 3 4 5 6\nY Vector: 0 1 2\n"},
        {{0, 0, 1, 2, 3, 4, 5}, {0, 0, 1, 2, 3, 4}, ""}, // y must still cover all seven
        {{0, 1, 2, 3, 4, 5}, {0, 1, nan, 3, 4, 5}, ""},
        {{0, 1, 2, 3, 4, INFINITY}, {0, 1, 2, 3, 4, 5}, ""},
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
                              c.vectors)
                    << index;
            }
        }
        EXPECT_EQ(coefficients, std::vector<float>{42.0F}) << "output touched in case " << index;
    }
}
