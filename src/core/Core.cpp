#include "core/Core.h"

#include "core/CorePrivate.h"
#include "correction_data/CoefficentCalculationFailedException.h"
#include "correction_data/DataNotAvailableException.h"
#include "correction_data/FileMismatchException.h"
#include "correction_file/InvalidFormatException.h"
#include "correction_file/NotFoundException.h"
#include "correction_file/NotReadableException.h"
#include "foundation/Exception.h"
#include "metadata_database/CsvStringBasedMetadataDatabase.h"
#include "renderer/NotRenderedException.h"

#include <boost/filesystem/exception.hpp>

#include <cstring>
#include <new>
#include <utility>

namespace Core {

namespace {

// Copies the text with its terminating zero only when it fits whole.
bool copyWhole(const std::string& text, char* buffer, size_t size) {
    if (buffer == nullptr || text.size() + 1 > size) {
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

bool metadataKey(MetadataDatabase::MetadataKind kind, const char* cameraManufacturer,
                 const char* containerFormat, char* buffer, size_t size) {
    if (cameraManufacturer == nullptr || containerFormat == nullptr) {
        return false;
    }
    std::string key;
    try {
        MetadataDatabase::CsvStringBasedMetadataDatabase::sharedInstance()->keyForKind(
            kind, cameraManufacturer, containerFormat, key);
    } catch (...) {
        return false;
    }
    return copyWhole(key, buffer, size);
}

std::string systemErrorLine(const char* what) {
    return std::string("System Error: \"") + what + "\"";
}

} // namespace

Core::Core(std::unique_ptr<CoreDataSource> dataSource)
    : corePrivate(std::make_unique<CorePrivate>(std::move(dataSource))) {}

Core::~Core() = default;

// Runs one pipeline operation; any failure is stored for the host to read. Not
// only the pipeline's own Exceptions are caught: a host must never see an
// exception, so file-system and allocation failures are reported the same way.
template <typename Operation>
bool Core::capturingErrors(Operation operation) {
    briefError.reset();
    detailedError.reset();
    lastFailureKind = FailureKind::None;
    try {
        operation();
        return true;
    } catch (const Exception& error) {
        storeError(error);
    } catch (const boost::filesystem::filesystem_error& error) {
        storeError(
            Exception("A directory could not be searched for the correction file. Check that the "
                      "clip's directories can be read.",
                      systemErrorLine(error.what())));
        lastFailureKind = FailureKind::NoCorrectionData;
    } catch (const std::bad_alloc&) {
        storeError(Exception("There is not enough memory to process the frame."));
    } catch (const std::exception& error) {
        storeError(Exception("The frame could not be processed because of a system error.",
                             systemErrorLine(error.what())));
    } catch (...) {
        storeError(Exception("The frame could not be processed because of an unknown error."));
    }
    return false;
}

FailureKind Core::failureKindOf(const Exception& error) {
    if (const auto* unavailable =
            dynamic_cast<const CorrectionData::DataNotAvailableException*>(&error)) {
        if (unavailable->cause) {
            try {
                std::rethrow_exception(unavailable->cause);
            } catch (const Exception& cause) {
                return failureKindOf(cause);
            } catch (...) {
                return FailureKind::Other;
            }
        }
        return FailureKind::NoCorrectionData;
    }
    if (dynamic_cast<const CorrectionFile::NotFoundException*>(&error) != nullptr ||
        dynamic_cast<const CorrectionData::FileMismatchException*>(&error) != nullptr) {
        return FailureKind::NoCorrectionData;
    }
    if (dynamic_cast<const CorrectionFile::InvalidFormatException*>(&error) != nullptr ||
        dynamic_cast<const CorrectionFile::NotReadableException*>(&error) != nullptr ||
        dynamic_cast<const CorrectionData::CoefficentCalculationFailedException*>(&error) !=
            nullptr) {
        return FailureKind::InvalidCorrectionData;
    }
    if (dynamic_cast<const Renderer::NotRenderedException*>(&error) != nullptr) {
        return FailureKind::NotRendered;
    }
    return FailureKind::Other;
}

void Core::storeError(const Exception& error) noexcept {
    lastFailureKind = failureKindOf(error);
    try {
        briefError = std::make_shared<std::string>(error.what());
        detailedError = std::make_shared<std::string>(error.detailedDescription());
    } catch (...) {
        briefError.reset();
        detailedError.reset();
    }
}

bool Core::frameSize(unsigned int& width, unsigned int& height) {
    return capturingErrors([&] { corePrivate->frameSize(width, height); });
}

bool Core::render(const float* input, float* output, size_t size) {
    return capturingErrors([&] { corePrivate->render(input, output, size); });
}

bool Core::recordingFormat(RecordingFormatDatabase::RecordingFormat& format) {
    return capturingErrors([&] { corePrivate->recordingFormat(format); });
}

bool Core::distortionMapping(DistortionMapping& mapping) {
    return capturingErrors([&] { corePrivate->distortionMapping(mapping); });
}

bool Core::correctionInUse(CorrectionInUse& correction) {
    return capturingErrors([&] { corePrivate->correctionInUse(correction); });
}

bool Core::appliedCorrection(CorrectionInUse& correction) const {
    return corePrivate->appliedCorrection(correction);
}

bool Core::reloadCorrectionData() {
    return capturingErrors([&] { corePrivate->reloadCorrectionData(); });
}

bool Core::briefErrorDescription(char* buffer, size_t size) const {
    const std::shared_ptr<std::string> text = briefError;
    return text && copyWhole(*text, buffer, size);
}

bool Core::detailedErrorDescription(char* buffer, size_t size) const {
    const std::shared_ptr<std::string> text = detailedError;
    return text && copyWhole(*text, buffer, size);
}

bool Core::metadataKeyForClipFileName(const char* cameraManufacturer, const char* containerFormat,
                                      char* buffer, size_t size) {
    return metadataKey(MetadataDatabase::MetadataKind::ClipFileName, cameraManufacturer,
                       containerFormat, buffer, size);
}

bool Core::metadataKeyForTimecode(const char* cameraManufacturer, const char* containerFormat,
                                  char* buffer, size_t size) {
    return metadataKey(MetadataDatabase::MetadataKind::Timecode, cameraManufacturer,
                       containerFormat, buffer, size);
}

} // namespace Core
