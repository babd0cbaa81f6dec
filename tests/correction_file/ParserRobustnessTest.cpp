// Bad input must give InvalidFormatException or a valid result, never a crash,
// a hang or a read out of bounds: random bytes, huge files, one very long line,
// an empty text.

#include "CorrectionFileText.h"
#include "TemporaryDirectory.h"

#include "correction_file/InvalidFormatException.h"
#include "correction_file/Parser.h"
#include "correction_file/Reader.h"

#include <boost/filesystem.hpp>

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <random>
#include <string>

using namespace CorrectionFileText;
using CorrectionData::Content;
using CorrectionData::Header;
using CorrectionFile::InvalidFormatException;
using CorrectionFile::Parser;

namespace {

namespace fs = boost::filesystem;

std::string reasonOf(const std::string& text) {
    Content content;
    try {
        Parser().parse(text, content);
    } catch (const InvalidFormatException& exception) {
        return exception.detailedDescription();
    }
    return "(parsed)";
}

std::string reasonText(const std::string& reason) {
    return "Correction file could not be parsed due to an invalid format.\nReason: " + reason +
           "\n";
}

// Either a valid result or InvalidFormatException; anything else fails.
void parseAnything(const std::string& text) {
    Content content;
    try {
        Parser().parse(text, content);
    } catch (const InvalidFormatException&) {
    }
    Header header;
    try {
        Parser().parseHeader(text, header);
    } catch (const InvalidFormatException&) {
    }
    std::map<unsigned int, CorrectionData::Frame> frames;
    try {
        Parser().parseBody(text, frames);
    } catch (const InvalidFormatException&) {
    }
}

} // namespace

TEST(ParserRobustness, EmptyText) {
    EXPECT_EQ(reasonOf(""), reasonText("Header start could not be found."));
    std::map<unsigned int, CorrectionData::Frame> frames;
    try {
        Parser().parseBody("", frames);
        FAIL() << "no exception";
    } catch (const InvalidFormatException& exception) {
        EXPECT_EQ(exception.detailedDescription(), reasonText("Version could not be found."));
    }
}

TEST(ParserRobustness, EmptyAndRandomFilesFromDisk) {
    TemporaryDirectory directory;
    writeFile(directory.path() / "empty.vlcf", "");
    std::string text = "previous";
    CorrectionFile::Reader().readFile((directory.path() / "empty.vlcf").string(), text);
    EXPECT_EQ(reasonOf(text), reasonText("Header start could not be found."));

    std::mt19937 generator(31337U);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string randomBytes(1024U * 1024U, '\0');
    for (char& character : randomBytes) {
        character = static_cast<char>(byte(generator));
    }
    writeFile(directory.path() / "random.vlcf", randomBytes);
    CorrectionFile::Reader().readFile((directory.path() / "random.vlcf").string(), text);
    EXPECT_EQ(text, randomBytes);
    parseAnything(text);
}

TEST(ParserRobustness, OnlyLineEnds) {
    EXPECT_EQ(reasonOf("\n"), reasonText("Header start could not be found."));
    EXPECT_EQ(reasonOf("\r\r\r"), reasonText("Header start could not be found."));
    EXPECT_EQ(reasonOf(std::string(100000, '\n')), reasonText("Header start could not be found."));
}

TEST(ParserRobustness, TextWithZeroBytes) {
    std::string text = validVersion3Text();
    text.insert(text.find("Prime"), std::string(1, '\0'));
    Content content;
    Parser().parse(text, content);
    EXPECT_EQ(content.header.lens.typeName, std::string("\0Prime 35", 9));
    text += std::string("\0\0\0", 3);
    EXPECT_NE(reasonOf(text), "(parsed)");
}

TEST(ParserRobustness, RandomBytes) {
    std::mt19937 generator(20240611U);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 50; ++round) {
        std::string text(static_cast<std::size_t>(round) * 997U, '\0');
        for (char& character : text) {
            character = static_cast<char>(byte(generator));
        }
        parseAnything(text);
    }
}

TEST(ParserRobustness, RandomlyDamagedValidFiles) {
    std::mt19937 generator(7U);
    const std::string valid = validVersion3Text();
    const std::string alphabet = ";,:=.-+e\n\r0123456789 nanHEADER_frame#";
    std::uniform_int_distribution<std::size_t> position(0, valid.size() - 1);
    std::uniform_int_distribution<std::size_t> symbol(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> operation(0, 2);
    for (int round = 0; round < 2000; ++round) {
        std::string text = valid;
        for (int change = 0; change < 1 + round % 5; ++change) {
            const std::size_t at = position(generator) % (text.size() + 1);
            switch (operation(generator)) {
            case 0:
                text.insert(at, 1, alphabet[symbol(generator)]);
                break;
            case 1:
                if (at < text.size()) {
                    text.erase(at, 1);
                }
                break;
            default:
                if (at < text.size()) {
                    text[at] = alphabet[symbol(generator)];
                }
                break;
            }
        }
        parseAnything(text);
    }
}

TEST(ParserRobustness, OneVeryLongLine) {
    const std::string longLine(8U * 1024U * 1024U, 'x');
    EXPECT_TRUE(reasonOf(longLine) == reasonText("Header start could not be found."));
    EXPECT_TRUE(reasonOf(longLine + ":=" + longLine + "\nHEADER_START\n" + longLine + ":=x") ==
                reasonText("Header end could not be found."));
    Content content;
    try {
        Parser().parse("HEADER_START\n" + longLine, content);
        ADD_FAILURE() << "no exception";
    } catch (const InvalidFormatException& exception) {
        EXPECT_EQ(exception.lineNumber(), 2U);
        EXPECT_TRUE(exception.lineContent() == longLine);
    }

    // A very long header value and a very long row.
    std::vector<std::string> lines = fileLines(3, {version3Row("0", "t"), longLine});
    lines[3] = "lensTypeName:=" + longLine;
    try {
        Parser().parse(join(lines), content);
        FAIL() << "no exception";
    } catch (const InvalidFormatException& exception) {
        EXPECT_EQ(exception.lineNumber(), firstRowLineNumber + 1);
        EXPECT_EQ(exception.lineContent().size(), longLine.size());
    }
    lines.pop_back();
    Parser().parse(join(lines), content);
    EXPECT_EQ(content.header.lens.typeName.size(), longLine.size());
}

TEST(ParserRobustness, RowWithVeryManyColumnsAndListItems) {
    std::string manyColumns = version3Row("0", "t");
    manyColumns += std::string(1000000, ';');
    Content content;
    Parser().parse(join(fileLines(3, {manyColumns})), content);
    EXPECT_EQ(content.frames.size(), 1U);

    const std::string manyItems =
        "0;" + std::string(1000000, ',') + ";1,2,3,4,5,6,7;1,2,3,4,5,6,7;;;;;;t";
    EXPECT_NE(reasonOf(join(fileLines(3, {manyItems}))), "(parsed)");
}

TEST(ParserRobustness, HundredMegabyteFileFromDisk) {
    // 100 MB of lines that both readers pass over while they search for their
    // markers, then a valid file with a thousand rows and empty lines, then one
    // bad row: the parser has to walk all of it and count every line.
    TemporaryDirectory directory;
    const fs::path filePath = directory.path() / "large.vlcf";
    const std::size_t targetSize = 100U * 1024U * 1024U;
    const std::string badRow = "1000;bad row";
    std::size_t lineCount = 0;
    {
        std::ofstream file(filePath.string(), std::ios::binary);
        const std::string junkLine = std::string(1022, 'j') + "\r\n";
        std::size_t written = 0;
        while (written < targetSize) {
            file << junkLine;
            written += junkLine.size();
            ++lineCount;
        }
        std::vector<std::string> rows;
        for (int number = 0; number < 1000; ++number) {
            rows.push_back(version3Row(std::to_string(number), "10.00.00.00"));
            rows.push_back("");
        }
        const std::vector<std::string> lines = fileLines(3, rows);
        file << join(lines, "\r\n");
        lineCount += lines.size();
        file << badRow << "\r\n";
        ++lineCount;
        ASSERT_TRUE(file.good());
    }

    std::string text;
    CorrectionFile::Reader().readFile(filePath.string(), text);
    ASSERT_GT(text.size(), targetSize);

    Content content;
    try {
        Parser().parse(text, content);
        ADD_FAILURE() << "no exception";
    } catch (const InvalidFormatException& exception) {
        EXPECT_EQ(exception.lineNumber(), lineCount);
        EXPECT_EQ(exception.lineContent(), badRow);
    }
    EXPECT_TRUE(content.frames.empty());

    // Without the bad row the same text is valid.
    text.resize(text.size() - badRow.size() - 2);
    Parser().parse(text, content);
    EXPECT_EQ(content.frames.size(), 1000U);
    EXPECT_EQ(content.frames.at(999).timecode, "10:00:00:00");
    EXPECT_EQ(content.header.clip.videoFileName, "A001C003.mov");
}
