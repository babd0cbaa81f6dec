#pragma once

#include "core/CoreDataSource.h"

class LensCorrection;

// Tells the core what a node wants: the clip and frame from the Read node
// above the node's "plate" input, and the node's control values.
class DataSource : public Core::CoreDataSource {
public:
    // The node is not owned; it owns the core that owns this data source.
    explicit DataSource(const LensCorrection* node) : node_(node) {}

    bool frameMetadata(char* buffer, size_t size) const override;
    bool correctionFilePath(char* buffer, size_t size) const override;
    bool clipFileName(char* buffer, size_t size) const override;
    bool clipFilePath(char* buffer, size_t size) const override;
    bool frameData(Core::FrameData& frameData) const override;
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat& format) const override;

protected:
    const LensCorrection* node() const { return node_; }

private:
    float overscan() const;

    const LensCorrection* node_;
};
