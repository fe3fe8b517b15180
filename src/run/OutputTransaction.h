// Outputs are published, not written in place: each output of a run is written to a temporary
// file in its destination folder and renamed over its final name only when the whole run has
// succeeded. A failed, cancelled or interrupted run leaves every final name as it was.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace kelvrant {

/// One output of a run. While it is open, `file` writes to a temporary file beside `name`
/// (".NAME.kelvrant-XXXXXX", created exclusively, so it never meets another run's file).
struct OutputFile {
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* file = nullptr;  ///< the temporary's stream, or none
    std::string name;           ///< the final name, as given
    std::string temporary;      ///< the temporary's path while it exists
    /// The stream's own buffer when it was given a larger one than the default.
    std::unique_ptr<char[]> buffer;
    bool IsOpen() const { return file != nullptr; }
};

/// Creates the temporary of an output to be published as `finalName`. False with the
/// system's reason set when the folder takes no new file.
bool CreateOutput(OutputFile& out, const std::string& finalName, std::string& reason);

/// Closes and removes the temporary, if any; the final name is not touched.
void DiscardOutput(OutputFile& out);

/// Publishes the open outputs together: every temporary is flushed to the disk and closed
/// first, then each is renamed over its final name (replacing a file or symlink there). On a
/// failure nothing more is published, every remaining temporary is removed, and false is
/// returned with the final name that failed and the system's reason.
bool PublishOutputs(const std::vector<OutputFile*>& outputs, std::string& failedName,
                    std::string& reason);

/// Asks the kernel to forget the cached pages of the regular file `finalName`, which a run is
/// about to replace: renaming over a file frees its pages, and this lets another core do that
/// while the run works. The file's bytes are not touched; a symlink, a folder, a device or a
/// missing name is left alone. Only a hint: nothing is reported.
void ForgetCachedPages(const std::string& finalName);

/// The system's text for an errno value.
std::string SystemReason(int error);

}  // namespace kelvrant
