#include "Log.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace tarvel {

namespace {
std::mutex g_mutex;
std::function<void(const std::string&)> g_sink;
} // namespace

void TraceLog(const std::string& line)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_sink) {
        g_sink(line);
        return;
    }
    static const bool toStderr = std::getenv("TARVEL_TRACE") != nullptr;
    if (toStderr)
        std::fprintf(stderr, "%s\n", line.c_str());
}

void SetTraceSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sink = std::move(sink);
}

} // namespace tarvel
