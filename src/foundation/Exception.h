#pragma once

#include <exception>
#include <string>

// Base of every failure the system reports: a one-sentence brief description
// that a host shows as its error, and an optional detail text of labelled
// lines with the data that led to the failure.
class Exception : public std::exception {
public:
    explicit Exception(const std::string& brief);
    Exception(const std::string& brief, const std::string& detail);

    const char* what() const noexcept override;

    // The brief description and a newline, then the detail text and a newline
    // when there is one.
    std::string detailedDescription() const noexcept;

private:
    std::string briefDescription_;
    std::string detail_;
};

// The detail lines of a detailed description: the text after its brief first
// line, without trailing line feeds; empty when there is none.
std::string detailLinesOf(const std::string& detailedDescription);
