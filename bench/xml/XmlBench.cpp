// Parses the same few megabytes of markup with the program's XML reader, pugixml and tinyxml2, the three in
// turn in every round, and prints the program's parse time against each peer's as a ratio (above 1: the
// program's reader is slower), with the throughputs.
// usage: oc_bench_xml <file>...   (the files are joined under one root, repeated to about 3 MB)
#include <pugixml.hpp>
#include <tinyxml2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "markup/XmlReader.h"

namespace {

constexpr std::size_t kTargetBytes = 3u << 20; // within the reader's 4 MB file limit
constexpr int kRounds = 15;

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

struct Reader {
    const char* name;
    std::function<bool()> parse;
    std::vector<double> seconds;
};

// Each round parses once with every reader, in an order that turns with the round, so that a change in the
// machine's load falls on all of them alike rather than on whichever ran in that stretch.
bool ParseInterleaved(std::vector<Reader>& readers) {
    for (Reader& reader : readers) { // once each to warm up
        if (!reader.parse())
            return false;
    }
    for (int round = 0; round < kRounds; ++round) {
        for (size_t i = 0; i < readers.size(); ++i) {
            Reader& reader = readers[(i + static_cast<size_t>(round)) % readers.size()];
            const auto start = std::chrono::steady_clock::now();
            if (!reader.parse())
                return false;
            reader.seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    }
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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

    std::vector<Reader> readers;
    readers.push_back({"the program's reader", [&] {
                           CXmlReader reader;
                           reader.SetPreserveWhitespace(true); // as the markup parser reads
                           return reader.SetUtf8Text(bytes, corpus.size()) && reader.HasRoot();
                       }, {}});
    readers.push_back({"pugixml", [&] {
                           pugi::xml_document document;
                           return static_cast<bool>(document.load_buffer(corpus.data(), corpus.size()));
                       }, {}});
    readers.push_back({"tinyxml2", [&] {
                           tinyxml2::XMLDocument document;
                           return document.Parse(corpus.data(), corpus.size()) == tinyxml2::XML_SUCCESS;
                       }, {}});
    if (!ParseInterleaved(readers)) {
        std::fprintf(stderr, "a reader rejected the corpus\n");
        return 1;
    }
    // What is compared is the time of one whole parse of the same text into each reader's tree; the
    // throughput follows from it.
    const double ours = Median(readers[0].seconds);
    std::printf("XML parse of the same %.2f MB of markup into a tree, median of %d interleaved rounds\n", megabytes,
                kRounds);
    for (size_t i = 1; i < readers.size(); ++i) {
        const double peer = Median(readers[i].seconds);
        std::printf("%-52s %10.2f %-6s %-34s %10.2f %-6s ratio %7.2f  (%.0f against %.0f MB/s)\n",
                    "XML parse time, the program's reader", ours * 1000, "ms", readers[i].name, peer * 1000, "ms",
                    ours / peer, megabytes / ours, megabytes / peer);
    }
    return 0;
}
