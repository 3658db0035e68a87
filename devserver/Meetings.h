#pragma once

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace devserver {

// One uploaded audio chunk as it came in the form.
struct Chunk {
    std::string source;  // "me" or "them"
    std::string at;      // whole seconds since the recording started, decimal
    std::string words;   // optional hint, passed through
    std::string hears;   // optional hint (JSON text), passed through
    std::string wav;     // the file part's bytes
};

// The outcome of a request: an HTTP status and a short text for the body.
struct Outcome {
    int status = 200;
    std::string message;
};

// Keeps meeting uploads under <data>/meetings/<id>/: chunks as numbered WAV files
// with a JSON file of their fields beside each, and the meeting's own record.
class Meetings {
public:
    explicit Meetings(std::filesystem::path data);

    // Ids become folder names, so only plain names pass: letters, digits, "-", "_"
    // and "." (not first), at most 128 characters. That rules out "..", "/" and hidden names.
    static bool safeId(std::string_view id);

    // Checks the chunk's fields and stores it; `extra` goes into the fields file.
    Outcome addChunk(const std::string& id, const Chunk& chunk, const nlohmann::json& extra);

    // Merges a JSON object (such as {"ended": true}) into meeting.json.
    Outcome update(const std::string& id, const std::string& body);

    std::filesystem::path folderOf(const std::string& id) const;

private:
    std::filesystem::path root_;
    std::mutex lock_;  // numbering chunks and merging records must not interleave
};

}  // namespace devserver
