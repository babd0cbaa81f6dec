// Bad input must give InvalidFormatException or a valid result, never a crash,
// a hang or a read out of bounds.

#include "CorrectionFileText.h"

#include "correction_file/InvalidFormatException.h"
#include "correction_file/Parser.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

using namespace CorrectionFileText;
using CorrectionData::Content;
using CorrectionFile::InvalidFormatException;
using CorrectionFile::Parser;

namespace {

// Parses with all three entry points; returns whether parse succeeded.
bool parseAnything(const std::string& text) {
    bool parsed = true;
    Content content;
    try {
        Parser().parse(text, content);
    } catch (const InvalidFormatException&) {
        parsed = false;
    }
    try {
        Parser().parseHeader(text, content.header);
    } catch (const InvalidFormatException&) {
    }
    try {
        Parser().parseBody(text, content.frames);
    } catch (const InvalidFormatException&) {
    }
    return parsed;
}

// The exception parse throws for text; fails the test when it throws none.
InvalidFormatException parseFailure(const std::string& text) {
    Content content;
    try {
        Parser().parse(text, content);
    } catch (const InvalidFormatException& exception) {
        return exception;
    }
    ADD_FAILURE() << "parsed";
    return InvalidFormatException("(parsed)");
}

} // namespace

TEST(ParserRobustness, RandomBytesAndRandomlyDamagedFiles) {
    std::mt19937 generator(20240611U);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 30; ++round) {
        std::string text(static_cast<std::size_t>(round) * 997U, '\0');
        for (char& character : text) {
            character = static_cast<char>(byte(generator));
        }
        parseAnything(text);
    }

    // Small changes with the characters that mean something to the parser.
    const std::string valid = validVersion3Text();
    ASSERT_TRUE(parseAnything(valid));
    const std::string alphabet = ";,:=.-+e\n\r0123456789 nanHEADER_frame#";
    std::uniform_int_distribution<std::size_t> symbol(0, alphabet.size() - 1);
    int parsedCount = 0;
    for (int round = 0; round < 500; ++round) {
        std::string text = valid;
        for (int change = 0; change < 1 + round % 5; ++change) {
            const std::size_t at =
                std::uniform_int_distribution<std::size_t>(0, text.size())(generator);
            switch (byte(generator) % 3) {
            case 0:
                text.insert(at, 1, alphabet[symbol(generator)]);
                break;
            case 1:
                text.erase(at, 1);
                break;
            default:
                text.replace(at, 1, 1, alphabet[symbol(generator)]);
                break;
            }
        }
        parsedCount += parseAnything(text) ? 1 : 0;
    }
    // Both outcomes occur, so that the damage reaches the checks.
    EXPECT_GT(parsedCount, 0);
    EXPECT_LT(parsedCount, 500);
}

TEST(ParserRobustness, ZeroBytesAreOrdinaryCharacters) {
    std::string text = validVersion3Text();
    text.insert(text.find("Prime"), std::string(1, '\0'));
    Content content;
    Parser().parse(text, content);
    EXPECT_EQ(content.header.lens.typeName, std::string("\0Prime 35", 9));
    text += std::string("\0\0\0", 3);
    EXPECT_EQ(parseFailure(text).lineContent(), std::string("\0\0\0", 3));
}

TEST(ParserRobustness, VeryLongLinesAndRows) {
    const std::string longLine(1024U * 1024U, 'x');
    EXPECT_EQ(parseFailure(longLine + ":=" + longLine + "\nHEADER_START\n" + longLine + ":=x")
                  .detailedDescription(),
              "Correction file could not be parsed due to an invalid format.\n"
              "Reason: Header end could not be found.\n");
    std::vector<std::string> lines = fileLines(3, {version3Row("0", "t"), longLine});
    lines[3] = "lensTypeName:=" + longLine;
    const InvalidFormatException exception = parseFailure(join(lines));
    EXPECT_EQ(exception.lineNumber(), firstRowLineNumber + 1);
    EXPECT_TRUE(exception.lineContent() == longLine);

    // Many further columns are ignored; a list of many items is refused.
    lines.back() = version3Row("1", "t") + std::string(200000, ';');
    Content content;
    Parser().parse(join(lines), content);
    EXPECT_EQ(content.header.lens.typeName.size(), longLine.size());
    EXPECT_EQ(content.frames.size(), 2U);
    lines.back() = "0;" + std::string(200000, ',') + ";1,2,3,4,5,6,7;1,2,3,4,5,6,7;;;;;;t";
    EXPECT_EQ(parseFailure(join(lines)).lineNumber(), firstRowLineNumber + 1);
}

TEST(ParserRobustness, HugeTextIsWalkedToItsLastLine) {
    // Megabytes of lines that both halves pass over while they search for
    // their markers, then a valid file with a thousand rows and empty lines,
    // then one bad row: every line has to be counted.
    const std::string junkLine = std::string(1022, 'j') + "\r\n";
    std::string text;
    std::size_t lineCount = 16U * 1024U;
    text.reserve(lineCount * junkLine.size() + 1024U * 1024U);
    for (std::size_t line = 0; line < lineCount; ++line) {
        text += junkLine;
    }
    std::vector<std::string> rows;
    for (int number = 0; number < 1000; ++number) {
        rows.push_back(version3Row(std::to_string(number), "10.00.00.00"));
        rows.push_back("");
    }
    const std::vector<std::string> lines = fileLines(3, rows);
    text += join(lines, "\r\n");
    lineCount += lines.size();
    const std::string badRow = "1000;bad row";

    const InvalidFormatException exception = parseFailure(text + badRow + "\r\n");
    EXPECT_EQ(exception.lineNumber(), lineCount + 1);
    EXPECT_EQ(exception.lineContent(), badRow);

    Content content;
    Parser().parse(text, content);
    EXPECT_EQ(content.frames.size(), 1000U);
    EXPECT_EQ(content.frames.at(999).timecode, "10:00:00:00");
}
