#include <fstream>
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "RunningServer.h"

namespace {

const std::string kBoundary = "nimbo-6F9619FF-8B86-D011-B42D-00C04FC964FF";

// A short WAV whose samples hold zeros, high bytes, line ends and the start of the
// boundary (all of it cannot occur: the shell picks a fresh one per chunk).
std::string wavBytes() {
    std::string samples = "\r\n--" + kBoundary.substr(0, 20) + std::string("\0\xff\x7f\x80\r\n", 6);
    std::string header = "RIFF" + std::string(4, '\0') + "WAVEfmt ";
    header += std::string(44 - header.size(), '\x01');
    return header + samples;
}

// The form exactly as the shell writes it.
std::string shellForm(const std::string& wav, const std::string& source, const std::string& at, bool withAudio = true,
                      const std::string& words = "Dev,nimbo",
                      const std::string& hears = R"([{"say":"nimbo","heard":"limbo"}])") {
    std::string form;
    auto field = [&](const std::string& name, const std::string& value) {
        form += "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    };
    field("source", source);
    field("at", at);
    field("words", words);
    field("hears", hears);
    if (withAudio) {
        form += "--" + kBoundary +
                "\r\nContent-Disposition: form-data; name=\"audio\"; filename=\"chunk.wav\"\r\nContent-Type: "
                "audio/wav\r\n\r\n" +
                wav + "\r\n";
    }
    return form + "--" + kBoundary + "--\r\n";
}

httplib::Result postChunk(httplib::Client& http, const std::string& id, const std::string& form) {
    httplib::Headers headers = {{"x-nimbo-app", "1"}};
    return http.Post("/api/meetings/" + id + "/audio", headers, form, "multipart/form-data; boundary=" + kBoundary);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder, const std::string& extension) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == extension) found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

TEST(DevserverMeetings, StoresChunksByteExactInArrivalOrder) {
    RunningServer s;
    auto http = s.client();
    std::string wav = wavBytes();

    auto first = postChunk(http, "m-2024.1_A", shellForm(wav, "them", "15"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 200) << first->body;
    EXPECT_EQ(postChunk(http, "m-2024.1_A", shellForm(wav + "tail", "me", "0"))->status, 200);

    auto folder = s.data / "meetings" / "m-2024.1_A";
    auto wavs = filesIn(folder, ".wav");
    ASSERT_EQ(wavs.size(), 2u);
    // Arrival order, not the "at" value, decides the order of the names.
    EXPECT_EQ(readFile(wavs[0]), wav);
    EXPECT_EQ(readFile(wavs[1]), wav + "tail");

    auto fields = nlohmann::json::parse(readFile(filesIn(folder, ".json").at(0)));
    EXPECT_EQ(fields["source"], "them");
    EXPECT_EQ(fields["at"], 15);
    EXPECT_EQ(fields["words"], "Dev,nimbo");
    EXPECT_EQ(fields["hears"][0]["heard"], "limbo");
    EXPECT_EQ(fields["session"], "none");
    EXPECT_EQ(fields["app"], true);
    EXPECT_TRUE(filesIn(folder, ".part").empty());
}

TEST(DevserverMeetings, RefusesUnsafeIdsAndIncompleteForms) {
    RunningServer s;
    auto http = s.client();
    std::string form = shellForm(wavBytes(), "me", "0");

    for (const char* id : {"..", "%2e%2e", "a%2Fb", "..%2F..%2Fetc", ".hidden", "a%00b", "a%20b"}) {
        auto res = postChunk(http, id, form);
        ASSERT_TRUE(res) << id;
        EXPECT_EQ(res->status, 400) << id;
    }
    EXPECT_EQ(postChunk(http, "m1", shellForm(wavBytes(), "me", "0", false))->status, 400);
    EXPECT_EQ(postChunk(http, "m1", shellForm(wavBytes(), "both", "0"))->status, 400);
    EXPECT_EQ(postChunk(http, "m1", shellForm(wavBytes(), "me", "1.5"))->status, 400);
    EXPECT_EQ(postChunk(http, "m1", shellForm("not a wav file at all", "me", "0"))->status, 400);
    EXPECT_EQ(http.Post("/api/meetings/m1/audio", wavBytes(), "audio/wav")->status, 400);
    // Text fields that are not UTF-8 (a lone high byte, an overlong "/") can't go into the fields file.
    for (const auto& [words, hears, why] :
         {std::tuple{std::string("caf\xe9"), std::string("[]"), "words is not UTF-8 text"},
          std::tuple{std::string("Dev"), std::string("[\"\xc0\xaf\"]"), "hears is not UTF-8 text"}}) {
        auto res = postChunk(http, "m1", shellForm(wavBytes(), "me", "0", true, words, hears));
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 400);
        EXPECT_EQ(nlohmann::json::parse(res->body, nullptr, false).value("why", ""), why) << res->body;
    }

    // Nothing at all may have been written, inside or outside the meetings folder.
    EXPECT_FALSE(std::filesystem::exists(s.data / "meetings" / "m1"));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(s.data))
        EXPECT_TRUE(entry.is_directory()) << entry.path();
}

TEST(DevserverMeetings, RecordsTheEndOfAMeeting) {
    RunningServer s;
    auto http = s.client();
    httplib::Headers headers = {{"x-nimbo-app", "1"}};

    auto ended = http.Patch("/api/meetings/m7", headers, R"({"ended":true})", "application/json");
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->status, 200);
    auto record = nlohmann::json::parse(readFile(s.data / "meetings" / "m7" / "meeting.json"));
    EXPECT_EQ(record["ended"], true);
    EXPECT_EQ(record["id"], "m7");

    EXPECT_EQ(http.Patch("/api/meetings/m7", headers, R"({"ended":)", "application/json")->status, 400);
    EXPECT_EQ(http.Patch("/api/meetings/m7", headers, "[true]", "application/json")->status, 400);
    EXPECT_EQ(http.Patch("/api/meetings/..", headers, R"({"ended":true})", "application/json")->status, 400);
    // A refused update leaves the earlier record as it was.
    EXPECT_EQ(nlohmann::json::parse(readFile(s.data / "meetings" / "m7" / "meeting.json"))["ended"], true);
}

TEST(DevserverMeetings, RequireSessionAdmitsOnlySignedInRequests) {
    devserver::Options options;
    options.requireSession = true;
    RunningServer s(options);
    auto http = s.client();

    std::string form = shellForm(wavBytes(), "me", "0");
    EXPECT_EQ(postChunk(http, "m1", form)->status, 401);
    std::string ticket = http.Get("/api/auth/apple?app=1")->get_header_value("Location");
    ticket = ticket.substr(ticket.find("ticket=") + 7);
    std::string cookie = http.Get("/api/auth/ticket?t=" + ticket)->get_header_value("Set-Cookie");
    http.set_default_headers({{"Cookie", cookie.substr(0, cookie.find(';'))}});
    EXPECT_EQ(postChunk(http, "m1", form)->status, 200);
    EXPECT_EQ(http.Patch("/api/meetings/m1", R"({"ended":true})", "application/json")->status, 200);
}

}  // namespace
