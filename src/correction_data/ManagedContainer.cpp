#include "correction_data/ManagedContainer.h"

#include "correction_data/DataNotAvailableException.h"
#include "correction_data/JsonParser.h"
#include "correction_data/RecordLookup.h"

#include <exception>
#include <limits>
#include <set>
#include <sstream>
#include <utility>

namespace CorrectionData {

namespace {

const char* const headerNotAvailable = "Header of the metadata is not available.";
const char* const frameNotAvailable = "Metadata for the frame is not available.";

std::string briefWithReason(const char* brief, const std::string& reason) {
    return reason.empty() ? std::string(brief) : std::string(brief) + " " + reason;
}

// The container's own lines, then those of the cause that do not repeat one
// of them.
std::string combinedDetail(const std::string& ownLines, const std::string& causeLines) {
    std::set<std::string> own;
    std::istringstream ownStream(ownLines);
    for (std::string line; std::getline(ownStream, line);) {
        own.insert(line);
    }
    std::string detail = ownLines;
    std::istringstream causeStream(causeLines);
    for (std::string line; std::getline(causeStream, line);) {
        if (own.count(line) == 0) {
            detail += (detail.empty() ? "" : "\n") + line;
        }
    }
    return detail;
}

std::pair<Header, Frame> jsonMetadataForString(const std::string& json) {
    Header header;
    Frame frame;
    try {
        JsonParser::parse(json, header, frame);
    } catch (const Exception& error) {
        throw DataNotAvailableException(briefWithReason(frameNotAvailable, error.what()),
                                        combinedDetail("JSON String: \"" + json + "\"",
                                                       detailLinesOf(error.detailedDescription())));
    }
    return {std::move(header), std::move(frame)};
}

} // namespace

ManagedContainer::ManagedContainer(const std::string& clipFilePath_,
                                   const std::shared_ptr<ManagedContainerDataSource>& dataSource_)
    : clipFilePath(clipFilePath_), dataSource(dataSource_) {}

ManagedContainer::ManagedContainer(const std::string& clipFileName_,
                                   const std::string& correctionFilePath_,
                                   const std::shared_ptr<ManagedContainerDataSource>& dataSource_)
    : clipFileName(clipFileName_), correctionFilePath(correctionFilePath_),
      dataSource(dataSource_) {}

ManagedContainer::ManagedContainer(const std::string& jsonString_) : jsonString(jsonString_) {}

void ManagedContainer::parseJsonOnce() {
    // A failed parse leaves the flag unset, so the next lookup parses again.
    std::call_once(jsonOnce, [this] {
        auto parsed = jsonMetadataForString(jsonString);
        jsonHeader = std::move(parsed.first);
        jsonFrame = std::move(parsed.second);
    });
}

void ManagedContainer::sharedContent(std::shared_ptr<Content>& shared) {
    const std::lock_guard<std::mutex> lock(contentMutex);
    shared = content.lock();
    if (shared && shared->source.isUnchangedOnDisk()) {
        lastSource = shared->source;
        return;
    }
    shared.reset();
    if (!dataSource) {
        throw Exception("Correction data source is missing.");
    }
    if (!clipFilePath.empty()) {
        dataSource->shareContent(clipFilePath, shared);
    } else {
        dataSource->shareContent(clipFileName, correctionFilePath, shared);
    }
    content = shared;
    lastSource = shared->source;
}

SourceFile ManagedContainer::sourceOfLastLookup() const {
    const std::lock_guard<std::mutex> lock(contentMutex);
    return lastSource;
}

void ManagedContainer::forgetContent() {
    const std::lock_guard<std::mutex> lock(contentMutex);
    content.reset();
    lastSource = SourceFile();
    if (!dataSource || !jsonString.empty()) {
        return;
    }
    if (!clipFilePath.empty()) {
        dataSource->forgetClip(clipFilePath);
    } else {
        dataSource->forgetCorrectionFile(correctionFilePath);
    }
}

template <typename Fail>
std::shared_ptr<Content> ManagedContainer::sharedContentOrThrow(Fail fail) {
    std::shared_ptr<Content> shared;
    try {
        sharedContent(shared);
    } catch (const Exception& error) {
        // The cause's detail (the file found, the line or key the parser
        // stopped at) follows the container's own lines, and the cause rides
        // along for callers that tell failures apart by kind.
        const std::string causeLines = detailLinesOf(error.detailedDescription());
        const std::exception_ptr cause = std::current_exception();
        try {
            fail(error.what());
        } catch (const DataNotAvailableException& unavailable) {
            DataNotAvailableException combined = DataNotAvailableException(
                unavailable.what(),
                combinedDetail(detailLinesOf(unavailable.detailedDescription()), causeLines));
            combined.cause = cause;
            throw combined;
        }
    }
    return shared;
}

void ManagedContainer::headerData(Header& header) {
    if (!jsonString.empty()) {
        parseJsonOnce();
        header = jsonHeader;
        return;
    }
    const auto shared =
        sharedContentOrThrow([this](const char* reason) { throwException(reason); });
    header = shared->header;
}

void ManagedContainer::frameData(unsigned int frameNumber, Frame& frame) {
    if (!jsonString.empty()) {
        parseJsonOnce();
        frame = jsonFrame;
        return;
    }
    const auto shared = sharedContentOrThrow(
        [this, frameNumber](const char* reason) { throwException(reason, frameNumber); });
    const Frame* const record = RecordLookup::recordAtOrBefore(*shared, frameNumber);
    if (record == nullptr) {
        throwException("", frameNumber);
    }
    frame = *record;
}

void ManagedContainer::frameData(Timecode::Timecode timecode, Frame& frame) {
    if (!jsonString.empty()) {
        parseJsonOnce();
        frame = jsonFrame;
        return;
    }
    const auto shared = sharedContentOrThrow(
        [this, &timecode](const char* reason) { throwException(reason, timecode); });
    unsigned int frameNumber = 0;
    if (!RecordLookup::frameNumberOfTimecode(*shared, timecode, frameNumber)) {
        throwException("", timecode);
    }
    frameData(frameNumber, frame);
}

std::string ManagedContainer::identityLines() const {
    if (!clipFilePath.empty()) {
        return "Clip File Path: \"" + clipFilePath + "\"";
    }
    return "Clip File Name: \"" + clipFileName + "\"\nCorrection File Path: \"" +
           correctionFilePath + "\"";
}

void ManagedContainer::throwException(const std::string& reason) const {
    throw DataNotAvailableException(briefWithReason(headerNotAvailable, reason), identityLines());
}

void ManagedContainer::throwException(const std::string& reason, unsigned int frameNumber) const {
    throw DataNotAvailableException(briefWithReason(frameNotAvailable, reason),
                                    identityLines() +
                                        "\nFrame Number: " + std::to_string(frameNumber));
}

void ManagedContainer::throwException(const std::string& reason,
                                      const Timecode::Timecode& timecode) const {
    throw DataNotAvailableException(briefWithReason(frameNotAvailable, reason),
                                    identityLines() + "\nTimecode: \"" + timecode.string(false) +
                                        "\"");
}

} // namespace CorrectionData
