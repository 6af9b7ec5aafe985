// Parses the same few megabytes of markup with the program's XML reader, pugixml and tinyxml2, and prints
// each reader's throughput and the program's time against each peer's as a ratio.
// usage: oc_bench_xml <file>...   (the files are joined under one root, repeated to about 3 MB)
#include <pugixml.hpp>
#include <tinyxml2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "markup/XmlReader.h"

namespace {

constexpr std::size_t kTargetBytes = 3u << 20; // within the reader's 4 MB file limit
constexpr int kRuns = 9;

// Every file's content without its XML declaration, joined under one root until the target size.
std::string BuildCorpus(int count, char** files) {
    std::vector<std::string> bodies;
    for (int i = 0; i < count; ++i) {
        std::ifstream in(files[i], std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            text.erase(0, 3);
        if (text.compare(0, 5, "<?xml") == 0)
            text.erase(0, text.find("?>") + 2);
        if (!text.empty())
            bodies.push_back(std::move(text));
    }
    std::string corpus = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Corpus>\n";
    while (!bodies.empty() && corpus.size() < kTargetBytes) {
        for (const std::string& body : bodies) {
            if (corpus.size() + body.size() >= kTargetBytes)
                break;
            corpus += body;
        }
        if (corpus.size() + bodies.front().size() >= kTargetBytes)
            break;
    }
    corpus += "</Corpus>\n";
    return corpus;
}

// Median seconds of one parse.
template <class Parse> double MedianSeconds(Parse parse) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!parse())
            return -1;
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: oc_bench_xml <file>...\n");
        return 2;
    }
    const std::string corpus = BuildCorpus(argc - 1, argv + 1);
    const auto* bytes = reinterpret_cast<const unsigned char*>(corpus.data());
    const double megabytes = static_cast<double>(corpus.size()) / (1 << 20);

    const double ours = MedianSeconds([&] {
        CXmlReader reader;
        reader.SetPreserveWhitespace(true); // as the markup parser reads
        return reader.SetUtf8Text(bytes, corpus.size()) && reader.HasRoot();
    });
    const double pugi = MedianSeconds([&] {
        pugi::xml_document document;
        return static_cast<bool>(document.load_buffer(corpus.data(), corpus.size()));
    });
    const double tiny = MedianSeconds([&] {
        tinyxml2::XMLDocument document;
        return document.Parse(corpus.data(), corpus.size()) == tinyxml2::XML_SUCCESS;
    });
    if (ours < 0 || pugi < 0 || tiny < 0) {
        std::fprintf(stderr, "a reader rejected the corpus (ours %s, pugixml %s, tinyxml2 %s)\n",
                     ours < 0 ? "failed" : "ok", pugi < 0 ? "failed" : "ok", tiny < 0 ? "failed" : "ok");
        return 1;
    }
    std::printf("%-44s %10.1f %-6s %-28s %10.1f %-6s ratio %7.2f\n", "XML reader (ratio of parse times)",
                megabytes / ours, "MB/s", "pugixml", megabytes / pugi, "MB/s", ours / pugi);
    std::printf("%-44s %10.1f %-6s %-28s %10.1f %-6s ratio %7.2f\n", "XML reader (ratio of parse times)",
                megabytes / ours, "MB/s", "tinyxml2", megabytes / tiny, "MB/s", ours / tiny);
    std::printf("(corpus %.2f MB, median of %d parses each)\n", megabytes, kRuns);
    return 0;
}
