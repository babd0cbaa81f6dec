#include "correction_data/FileMismatchException.h"

namespace CorrectionData {

FileMismatchException::FileMismatchException(const std::string& clipFileName_,
                                             const std::string& correctionFilePath_,
                                             const std::string& clipFileNameInCorrectionFile_)
    : Exception("Correction file does not belong to the clip.",
                "Clip File Name: \"" + clipFileName_ + "\"\nCorrection File Path: \"" +
                    correctionFilePath_ + "\"\nClip File Name in Correction File: \"" +
                    clipFileNameInCorrectionFile_ + "\""),
      clipFileName(clipFileName_), correctionFilePath(correctionFilePath_),
      clipFileNameInCorrectionFile(clipFileNameInCorrectionFile_) {}

} // namespace CorrectionData
