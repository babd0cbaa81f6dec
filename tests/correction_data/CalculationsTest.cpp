#include "correction_data/Calculations.h"
#include "correction_data/CoefficentCalculationFailedException.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using CorrectionData::CoefficentCalculationFailedException;
using CorrectionData::Calculations::calculateCoefficients;

namespace {

double evaluate(const std::vector<float>& coefficients, double x) {
    double sum = 0.0;
    for (std::size_t power = 0; power < coefficients.size(); ++power) {
        sum += coefficients[power] * std::pow(x, static_cast<double>(power));
    }
    return sum;
}

std::string failureDetail(const std::vector<float>& x, const std::vector<float>& y) {
    std::vector<float> coefficients{42.0F};
    try {
        calculateCoefficients(x, y, coefficients);
    } catch (const CoefficentCalculationFailedException& error) {
        EXPECT_EQ(coefficients, std::vector<float>{42.0F}) << "output touched on failure";
        return error.detailedDescription();
    }
    ADD_FAILURE() << "no CoefficentCalculationFailedException";
    return {};
}

} // namespace

TEST(Calculations, StraightLineThroughSevenPoints) {
    const std::vector<float> x{0, 1, 2, 3, 4, 5, 6};
    std::vector<float> y;
    for (const float height : x) {
        y.push_back(2.0F * height + 1.0F);
    }
    std::vector<float> coefficients;
    calculateCoefficients(x, y, coefficients);
    ASSERT_EQ(coefficients.size(), 7U);
    EXPECT_NEAR(coefficients[0], 1.0F, 1e-4);
    EXPECT_NEAR(coefficients[1], 2.0F, 1e-4);
    for (std::size_t power = 2; power < 7; ++power) {
        EXPECT_NEAR(coefficients[power], 0.0F, 1e-4) << power;
    }
}

TEST(Calculations, ReproducesEveryPointOfRealisticCurves) {
    // Heights in millimetres with distortion-like and shading-like values.
    const std::vector<float> heights{0.0F, 2.5F, 5.0F, 7.5F, 10.0F, 12.5F, 15.0F};
    const std::vector<float> distorted{0.0F, 2.49F, 4.97F, 7.41F, 9.82F, 12.18F, 14.5F};
    const std::vector<float> shading{100.0F, 98.2F, 93.1F, 85.0F, 74.4F, 62.0F, 48.7F};
    for (const auto* values : {&distorted, &shading}) {
        std::vector<float> coefficients;
        calculateCoefficients(heights, *values, coefficients);
        ASSERT_EQ(coefficients.size(), 7U);
        for (std::size_t i = 0; i < heights.size(); ++i) {
            EXPECT_NEAR(evaluate(coefficients, heights[i]), (*values)[i], 2e-3) << i;
        }
    }
}

TEST(Calculations, SixPointsGiveSixCoefficients) {
    const std::vector<float> x{0.5F, 1, 2, 3, 4, 5};
    const std::vector<float> y{1, 4, 9, 16, 25, 36};
    std::vector<float> coefficients;
    calculateCoefficients(x, y, coefficients);
    ASSERT_EQ(coefficients.size(), 6U);
    for (std::size_t i = 0; i < x.size(); ++i) {
        EXPECT_NEAR(evaluate(coefficients, x[i]), y[i], 1e-3) << i;
    }
}

TEST(Calculations, SevenPointsWithRepeatedFirstHeightDropTheFirst) {
    // The dropped first point would contradict the second one.
    const std::vector<float> x{0, 0, 1, 2, 3, 4, 5};
    const std::vector<float> y{99, 1, 3, 5, 7, 9, 11};
    std::vector<float> coefficients;
    calculateCoefficients(x, y, coefficients);
    ASSERT_EQ(coefficients.size(), 6U);
    for (std::size_t i = 1; i < x.size(); ++i) {
        EXPECT_NEAR(evaluate(coefficients, x[i]), y[i], 1e-3) << i;
    }
}

TEST(Calculations, AppendsToExistingCoefficients) {
    std::vector<float> coefficients{7.0F, 8.0F};
    calculateCoefficients({0, 1, 2, 3, 4, 5}, {1, 1, 1, 1, 1, 1}, coefficients);
    ASSERT_EQ(coefficients.size(), 8U);
    EXPECT_EQ(coefficients[0], 7.0F);
    EXPECT_EQ(coefficients[1], 8.0F);
    EXPECT_NEAR(coefficients[2], 1.0F, 1e-5);
}

TEST(Calculations, SingularSystemsListBothFullVectors) {
    EXPECT_EQ(failureDetail({0, 0, 1, 2, 3, 4}, {1, 2, 3, 4, 5, 6.5F}),
              "Calculation of the polynomial coefficients did fail.\n"
              "X Vector: 0 0 1 2 3 4\n"
              "Y Vector: 1 2 3 4 5 6.5\n");
    EXPECT_FALSE(failureDetail({0, 1, 2, 2, 4, 5, 6}, {0, 1, 2, 3, 4, 5, 6}).empty());
}

TEST(Calculations, RejectsInputsThatWouldReadPastTheValues) {
    EXPECT_EQ(failureDetail({}, {}), "Calculation of the polynomial coefficients did fail.\n"
                                     "X Vector:\n"
                                     "Y Vector:\n");
    EXPECT_EQ(failureDetail({0, 1, 2, 3, 4, 5, 6}, {0, 1, 2}),
              "Calculation of the polynomial coefficients did fail.\n"
              "X Vector: 0 1 2 3 4 5 6\n"
              "Y Vector: 0 1 2\n");
    // Seven heights, duplicate first: y must still cover all seven indices.
    EXPECT_FALSE(failureDetail({0, 0, 1, 2, 3, 4, 5}, {0, 0, 1, 2, 3, 4}).empty());
}

TEST(Calculations, RejectsNonFiniteValues) {
    const float nan = std::nanf("");
    EXPECT_FALSE(failureDetail({0, 1, 2, 3, 4, 5}, {0, 1, nan, 3, 4, 5}).empty());
    EXPECT_FALSE(failureDetail({0, 1, 2, 3, 4, INFINITY}, {0, 1, 2, 3, 4, 5}).empty());
}
