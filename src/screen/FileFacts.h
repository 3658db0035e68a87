#pragma once
// Facts about the image or video file shown in front: its size, dimensions,
// colours, duration and the like, for the page to answer questions about the
// picture or clip without the user describing it.
#include <set>
#include <string>

#include "platform/Json.h"

namespace nimbo::FileFacts {

// The lower-cased extensions measured as images and as videos.
extern const std::set<std::string> images;
extern const std::set<std::string> videos;

// The front document's facts, when it is an image or video file. Slow: call
// off the main thread.
MaybeJson front();

// A file URL's facts: name, type and size, then the image or video facts;
// nothing for any other kind of file.
MaybeJson measure(const std::string& url);

// `facts` completed with what the picture says; nothing when it can't be read.
MaybeJson image(const std::string& url, Json facts);

// `facts` completed with what the video's tracks say; nothing without a
// video track.
MaybeJson video(const std::string& url, Json facts);

}  // namespace nimbo::FileFacts
