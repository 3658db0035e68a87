#include "Meetings.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <utility>

namespace devserver {
namespace {

double nowMs() {
    using namespace std::chrono;
    return static_cast<double>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

bool isWholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 12) return false;
    unsigned long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// Well-formed UTF-8 as JSON takes it: no overlong forms, surrogates or values past U+10FFFF.
bool isUtf8(const std::string& text) {
    try {
        (void)nlohmann::json(text).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

bool looksLikeWav(const std::string& bytes) {
    return bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0;
}

// Writes beside the target and renames, so a reader never sees half a file.
bool writeWhole(const std::filesystem::path& path, const std::string& bytes) {
    auto partial = path;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return false;
    }
    std::error_code ec;
    std::filesystem::rename(partial, path, ec);
    return !ec;
}

std::size_t countWavFiles(const std::filesystem::path& folder) {
    std::size_t count = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".wav") ++count;
    return count;
}

}  // namespace

Meetings::Meetings(std::filesystem::path data) : root_(data / "meetings") {}

bool Meetings::safeId(std::string_view id) {
    if (id.empty() || id.size() > 128 || id.front() == '.') return false;
    for (char c : id) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '_' || c == '.';
        if (!plain) return false;
    }
    return true;
}

std::filesystem::path Meetings::folderOf(const std::string& id) const {
    return root_ / id;
}

Outcome Meetings::addChunk(const std::string& id, const Chunk& chunk, const nlohmann::json& extra) {
    if (!safeId(id)) return {400, "bad meeting id"};
    if (chunk.source != "me" && chunk.source != "them") return {400, "source must be \"me\" or \"them\""};
    if (!isWholeNumber(chunk.at)) return {400, "at must be whole seconds"};
    if (!looksLikeWav(chunk.wav)) return {400, "audio is not a WAV file"};
    // The fields file is JSON, which holds only UTF-8: refuse before anything is stored.
    for (const auto& [name, text] : {std::pair{"words", &chunk.words}, std::pair{"hears", &chunk.hears}})
        if (!isUtf8(*text)) return {400, std::string(name) + " is not UTF-8 text"};
    for (const auto& [key, value] : extra.items())
        if (value.is_string() && !isUtf8(value.get_ref<const std::string&>())) return {400, key + " is not UTF-8 text"};

    std::lock_guard guard(lock_);
    auto folder = folderOf(id);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return {500, "couldn't make " + folder.string() + ": " + ec.message()};

    // Numbered by arrival and counted from the folder, so the order survives restarts.
    char stem[64];
    std::snprintf(stem, sizeof stem, "%06zu-%s-%ss", countWavFiles(folder) + 1, chunk.source.c_str(), chunk.at.c_str());

    nlohmann::json fields = {
        {"source", chunk.source}, {"at", std::stoull(chunk.at)}, {"bytes", chunk.wav.size()}, {"receivedAt", nowMs()}};
    if (!chunk.words.empty()) fields["words"] = chunk.words;
    if (!chunk.hears.empty()) {
        // Kept as parsed JSON when it is JSON, so the file reads naturally; else verbatim.
        auto parsed = nlohmann::json::parse(chunk.hears, nullptr, false);
        fields["hears"] = parsed.is_discarded() ? nlohmann::json(chunk.hears) : parsed;
    }
    for (const auto& [key, value] : extra.items()) fields[key] = value;
    const std::string fieldsText = fields.dump(2) + "\n";

    if (!writeWhole(folder / (std::string(stem) + ".wav"), chunk.wav) ||
        !writeWhole(folder / (std::string(stem) + ".json"), fieldsText))
        return {500, "couldn't write the chunk"};
    return {200, std::string(stem) + ".wav"};
}

Outcome Meetings::update(const std::string& id, const std::string& body) {
    if (!safeId(id)) return {400, "bad meeting id"};
    auto change = nlohmann::json::parse(body, nullptr, false);
    if (change.is_discarded() || !change.is_object()) return {400, "body must be a JSON object"};

    std::lock_guard guard(lock_);
    auto folder = folderOf(id);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return {500, "couldn't make " + folder.string() + ": " + ec.message()};

    auto recordPath = folder / "meeting.json";
    nlohmann::json record = nlohmann::json::object();
    if (std::ifstream in(recordPath); in) {
        auto old = nlohmann::json::parse(in, nullptr, false);
        if (old.is_object()) record = std::move(old);
    }
    record.update(change);
    record["id"] = id;
    record["updatedAt"] = nowMs();
    if (!writeWhole(recordPath, record.dump(2) + "\n")) return {500, "couldn't write meeting.json"};
    return {200, "ok"};
}

}  // namespace devserver
