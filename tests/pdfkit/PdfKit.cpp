#include "PdfKit.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#else
#include <sys/wait.h>
#endif

namespace pdfkit {

namespace {

std::string Quote(const std::string& arg)
{
#ifdef _WIN32
    return "\"" + arg + "\"";
#else
    std::string out = "'";
    for (char c : arg) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
#endif
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string Unescape(std::string text)
{
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities) {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1)) {
            text.replace(at, std::char_traits<char>::length(from), to);
        }
    }
    return text;
}

} // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, bool withStandardError)
{
    CommandResult result;
    if (argv.empty()) return result;
    std::string command;
    for (const auto& arg : argv) command += (command.empty() ? "" : " ") + Quote(arg);
#ifdef _WIN32
    command += withStandardError ? " 2>&1" : " 2>NUL";
#else
    command += withStandardError ? " 2>&1" : " 2>/dev/null";
#endif
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
#ifdef _WIN32
    result.exitCode = status;
#else
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return result;
}

bool ToolsAvailable()
{
    static const bool available = [] {
        for (const char* tool : {"pdfinfo", "pdffonts", "pdftotext", "pdfimages", "pdftoppm"}) {
            if (RunCommand({tool, "-v"}, true).exitCode != 0) return false;
        }
        return RunCommand({"qpdf", "--version"}, true).exitCode == 0;
    }();
    return available;
}

PdfInfo Info(const std::string& pdfPath)
{
    PdfInfo info;
    const auto run = RunCommand({"pdfinfo", "-f", "1", "-l", "100000", pdfPath});
    info.raw = run.output;
    if (run.exitCode != 0) return info;
    info.ok = true;
    static const std::regex pages(R"(^Pages:\s+(\d+))");
    static const std::regex size(R"(^Page\s+\d+\s+size:\s+([0-9.]+)\s+x\s+([0-9.]+)\s+pts)");
    for (const auto& line : Lines(run.output)) {
        std::smatch m;
        if (std::regex_search(line, m, pages)) info.pages = std::stoi(m[1]);
        if (std::regex_search(line, m, size)) info.pageSizes.push_back({std::stod(m[1]), std::stod(m[2])});
    }
    return info;
}

std::vector<PdfFont> Fonts(const std::string& pdfPath)
{
    std::vector<PdfFont> fonts;
    const auto run = RunCommand({"pdffonts", pdfPath});
    if (run.exitCode != 0) return fonts;
    const auto lines = Lines(run.output);
    // The dashed line under the heading gives the column spans.
    size_t dashes = 0;
    while (dashes < lines.size() && lines[dashes].rfind("---", 0) != 0) ++dashes;
    if (dashes >= lines.size()) return fonts;
    std::vector<std::pair<size_t, size_t>> spans;
    const std::string& rule = lines[dashes];
    for (size_t i = 0; i < rule.size();) {
        if (rule[i] != '-') {
            ++i;
            continue;
        }
        size_t end = rule.find(' ', i);
        if (end == std::string::npos) end = rule.size();
        spans.emplace_back(i, end - i);
        i = end;
    }
    auto column = [&](const std::string& line, size_t k) {
        if (k >= spans.size() || spans[k].first >= line.size()) return std::string();
        return Trim(line.substr(spans[k].first, spans[k].second));
    };
    for (size_t i = dashes + 1; i < lines.size(); ++i) {
        if (Trim(lines[i]).empty()) continue;
        PdfFont font;
        font.name = column(lines[i], 0);
        font.type = column(lines[i], 1);
        font.encoding = column(lines[i], 2);
        font.embedded = column(lines[i], 3) == "yes";
        font.subset = column(lines[i], 4) == "yes";
        font.toUnicode = column(lines[i], 5) == "yes";
        fonts.push_back(font);
    }
    return fonts;
}

std::string BaseFontName(const std::string& name)
{
    const auto plus = name.find('+');
    return (plus == 6) ? name.substr(plus + 1) : name;
}

std::string Text(const std::string& pdfPath, int page)
{
    std::vector<std::string> argv = {"pdftotext", "-layout", "-enc", "UTF-8"};
    if (page > 0) {
        argv.insert(argv.end(), {"-f", std::to_string(page), "-l", std::to_string(page)});
    }
    argv.insert(argv.end(), {pdfPath, "-"});
    return RunCommand(argv).output;
}

std::vector<PdfWord> Words(const std::string& pdfPath)
{
    std::vector<PdfWord> words;
    const auto run = RunCommand({"pdftotext", "-bbox", "-enc", "UTF-8", pdfPath, "-"});
    if (run.exitCode != 0) return words;
    static const std::regex page(R"(<page\b)");
    static const std::regex word(
        R"re(<word xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">([^<]*)</word>)re");
    int pageNumber = 0;
    for (const auto& line : Lines(run.output)) {
        if (std::regex_search(line, page)) ++pageNumber;
        std::smatch m;
        if (std::regex_search(line, m, word)) {
            words.push_back({pageNumber, Unescape(m[5]), std::stod(m[1]), std::stod(m[2]), std::stod(m[3]),
                             std::stod(m[4])});
        }
    }
    return words;
}

std::vector<PdfWord> FindPhrase(const std::vector<PdfWord>& words, const std::string& text)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; in >> part;) parts.push_back(part);
    if (parts.empty()) return {};
    for (size_t i = 0; i + parts.size() <= words.size(); ++i) {
        bool match = true;
        for (size_t k = 0; k < parts.size() && match; ++k) {
            const PdfWord& w = words[i + k];
            match = w.text == parts[k] && w.page == words[i].page &&
                    (k == 0 || (w.yMin < words[i].yMax && w.yMax > words[i].yMin));
        }
        if (match) return {words.begin() + static_cast<long>(i), words.begin() + static_cast<long>(i + parts.size())};
    }
    return {};
}

std::vector<PdfImageRow> Images(const std::string& pdfPath)
{
    std::vector<PdfImageRow> images;
    const auto run = RunCommand({"pdfimages", "-list", pdfPath});
    if (run.exitCode != 0) return images;
    for (const auto& line : Lines(run.output)) {
        std::istringstream in(line);
        PdfImageRow row;
        int num = 0;
        if (!(in >> row.page >> num >> row.type >> row.width >> row.height >> row.color >> row.components >>
              row.bitsPerComponent >> row.encoding)) {
            continue; // the heading and the rule
        }
        images.push_back(row);
    }
    return images;
}

std::vector<std::string> RenderPages(const std::string& pdfPath, const std::string& prefix, int dpi)
{
    std::vector<std::string> files;
    const auto run = RunCommand({"pdftoppm", "-png", "-r", std::to_string(dpi), pdfPath, prefix});
    if (run.exitCode != 0) return files;
    const PdfInfo info = Info(pdfPath);
    const int digits = info.pages >= 10 ? static_cast<int>(std::to_string(info.pages).size()) : 1;
    for (int page = 1; page <= info.pages; ++page) {
        std::string number = std::to_string(page);
        while (static_cast<int>(number.size()) < digits) number = "0" + number;
        const std::string file = prefix + "-" + number + ".png";
        if (std::ifstream(file).good()) files.push_back(file);
    }
    return files;
}

PdfCheck Check(const std::string& pdfPath)
{
    PdfCheck check;
    const auto run = RunCommand({"qpdf", "--check", pdfPath}, true);
    check.exitCode = run.exitCode;
    check.output = run.output;
    check.clean = run.exitCode == 0 && run.output.find("WARNING") == std::string::npos &&
                  run.output.find("No syntax or stream encoding errors") != std::string::npos;
    return check;
}

} // namespace pdfkit
