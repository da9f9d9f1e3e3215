#include "ParameterTextFile.h"

#include "DiagnosisGlobals.h"
#include "EquipmentFlags.h"
#include "FileChooser.h"
#include "FileSave.h"
#include "LanguageTable.h"
#include "Prompter.h"
#include "SettingsFiles.h"
#include "TextCodec.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace tarvel {

const char* const kBasicParametersHeader = "Basic_Parameters";
const char* const kLiftingAxleParametersHeader = "LiftingAxle_Parameters";

namespace {

constexpr int kRowTipsCaption = 74;
constexpr int kRowErrorCaption = 76;
constexpr int kRowFileSaved = 179;
constexpr int kRowNoFileWritten = 221;
constexpr int kRowFileLoaded = 222;
constexpr int kRowValuesInFile = 674;
constexpr int kRowOtherRowsKept = 675;
constexpr int kRowNotAParameterFile = 677;
constexpr int kRowControlCharacterAt = 678;
constexpr int kRowNotUtf8At = 679;
constexpr int kRowNewContentKept = 681;

const char* const kSaveFileName = "test.ini";
const char* const kSaveExtension = "ini";
const char* const kSaveFilter = "文件 (*.ini;)|*.ini";
const char* const kLoadFileName = "*.ini";
const char* const kLoadFilter = "ini Files(*.ini)|*.ini|All Files (*.*)|*.*";

void Box(int textRow, int captionRow)
{
    GetPrompter().Show(LanguageText(textRow), LanguageText(captionRow), MsgIcon::None, MsgButtons::Ok);
}

void NotSavedBox(const std::string& path, const SaveResult& result)
{
    GetPrompter().Show(NotSavedText(LanguageText(kRowNoFileWritten), path, result, LanguageText(kRowNewContentKept)),
                       LanguageText(kRowErrorCaption), MsgIcon::None, MsgButtons::Ok);
}

void AppendLine(std::string& out, const std::string& value)
{
    for (char c : value) out.push_back(c == '\r' || c == '\n' ? ' ' : c);
    out += "\r\n";
}

void AppendValues(std::string& out, const std::vector<std::string>& values, size_t count)
{
    static const std::string empty;
    for (size_t i = 0; i < count; ++i) AppendLine(out, i < values.size() ? values[i] : empty);
}

// Puts `line` into cell `row` when the grid has that row.
size_t Put(std::vector<std::string>& values, size_t count, size_t row, const std::string& line)
{
    if (row >= count || row >= values.size()) return 0;
    values[row] = line;
    return 1;
}

std::filesystem::path FsPath(const std::string& utf8)
{
    return std::filesystem::u8path(utf8);
}

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    if (path.empty()) return std::nullopt;
    std::error_code ec;
    if (std::filesystem::is_directory(FsPath(path), ec)) return std::nullopt;
    std::ifstream in(FsPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

} // namespace

std::string FormatParameterFile(const std::vector<std::string>& basicValues, size_t basicCount,
                                bool withLiftingAxleBlock, const std::vector<std::string>& liftingAxleValues,
                                size_t liftingAxleCount)
{
    std::string out;
    AppendLine(out, kBasicParametersHeader);
    AppendValues(out, basicValues, basicCount);
    if (withLiftingAxleBlock) {
        AppendLine(out, kLiftingAxleParametersHeader);
        AppendValues(out, liftingAxleValues, liftingAxleCount);
    }
    return out;
}

std::vector<std::string> SplitParameterFileLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = next;
    }
    return lines;
}

ParameterFileReadResult ReadParameterFileText(const std::string& text, size_t basicCount,
                                              std::vector<std::string>& basicValues, size_t liftingAxleCount,
                                              std::vector<std::string>& liftingAxleValues)
{
    ParameterFileReadResult result;
    result.rows = std::min(basicCount, basicValues.size());
    const std::vector<std::string> lines = SplitParameterFileLines(text);
    if (lines.empty()) return result;

    result.header = lines[0].find(kBasicParametersHeader) != std::string::npos;
    if (!result.header) {
        for (size_t i = 0; i < lines.size() && i < basicCount; ++i)
            result.basicFilled += Put(basicValues, basicCount, i, lines[i]);
        return result;
    }
    // Line 0 is the header, lines 1..b the basic values, line b+1 the
    // lifting-axle header, then l lifting-axle values.
    for (size_t i = 1; i < lines.size() && i <= basicCount; ++i)
        result.basicFilled += Put(basicValues, basicCount, i - 1, lines[i]);
    for (size_t i = basicCount + 2; i < lines.size() && i < basicCount + 2 + liftingAxleCount; ++i)
        result.liftingAxleFilled += Put(liftingAxleValues, liftingAxleCount, i - basicCount - 2, lines[i]);
    // A file saved without the lifting-axle block ends after the basic
    // values; one that has the block's header is meant to fill it.
    if (lines.size() > basicCount + 1) result.rows += std::min(liftingAxleCount, liftingAxleValues.size());
    return result;
}

std::string ShortParameterFileText(const ParameterFileReadResult& read)
{
    return LanguageText(kRowFileLoaded) + "\n" + LanguageText(kRowValuesInFile) + " " +
           std::to_string(read.Filled()) + " / " + std::to_string(read.rows) + "\n" + LanguageText(kRowOtherRowsKept);
}

ParameterFileTextCheck CheckParameterFileText(const std::string& bytes)
{
    const size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    ParameterFileTextCheck check;
    tarvel::ScanUtf8(std::string_view(bytes).substr(start), [&](char32_t cp, bool valid, size_t at) {
        // Controls but tab, line feed and carriage return, DEL and the C1
        // controls U+0080..U+009F are no text.
        const bool control = (cp < 0x20 && cp != '\t' && cp != '\r' && cp != '\n') || (cp >= 0x7F && cp <= 0x9F);
        if (valid && !control)
            return true;
        check = {valid ? NotTextReason::ControlCharacter : NotTextReason::NotUtf8, start + at};
        return false;
    });
    return check;
}

std::string NotTextParameterFileText(const std::string& path, const ParameterFileTextCheck& check)
{
    const int why = check.reason == NotTextReason::NotUtf8 ? kRowNotUtf8At : kRowControlCharacterAt;
    return LanguageText(kRowNotAParameterFile) + "\n" + path + "\n" + LanguageText(why) + " " +
           std::to_string(check.offset + 1);
}

std::string ParameterFileFolder(const std::string& path)
{
    size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return path;
    if (cut == 0) return path.substr(0, 1);
    return path.substr(0, cut);
}

bool SaveParameterFile(const ParameterFileGrids& grids)
{
    FileRequest request;
    request.save = true;
    request.folder = CalibParamFilePath;
    request.fileName = kSaveFileName;
    request.filter = kSaveFilter;
    request.defaultExtension = kSaveExtension;
    // A cancelled dialog writes nothing and says nothing.
    const std::optional<std::string> path =
        ChooseSaveFile(GetFileChooser(), GetPrompter(), request,
                       {LanguageText(kRowReplaceFileQuestion), LanguageText(kRowReplaceFileCaption)});
    if (!path)
        return false;
    CalibParamFilePath = ParameterFileFolder(*path);

    const std::string text = FormatParameterFile(grids.basicValues, grids.basicNames.size(),
                                                 LiftingAxleCalibrationEnabled == 1, grids.liftingAxleValues,
                                                 grids.liftingAxleCount);
    const SaveResult saved = SaveFileReplacing(*path, text);
    if (!saved) {
        NotSavedBox(*path, saved);
        return false;
    }
    Box(kRowFileSaved, kRowTipsCaption);
    return true;
}

bool LoadParameterFile(ParameterFileGrids& grids, const std::function<void(const ParameterFileGrids&)>& showLoaded)
{
    FileRequest request;
    request.save = false;
    request.folder = CalibParamFilePath;
    request.fileName = kLoadFileName;
    request.filter = kLoadFilter;
    const std::string path = GetFileChooser().Choose(request).value_or(std::string());

    std::optional<std::string> text = ReadWholeFile(path);
    if (!text) {
        Box(kRowNoFileWritten, kRowErrorCaption);
        return false;
    }
    CalibParamFilePath = ParameterFileFolder(path);
    // A file that is not text at all is no parameter file: nothing of it
    // reaches the grids or the equipment flags.
    if (const ParameterFileTextCheck check = CheckParameterFileText(*text); !check.IsText()) {
        GetPrompter().Show(NotTextParameterFileText(path, check), LanguageText(kRowErrorCaption),
                           MsgIcon::Exclamation, MsgButtons::Ok);
        return false;
    }

    const size_t basicCount = grids.basicNames.size();
    const ParameterFileReadResult read = ReadParameterFileText(*text, basicCount, grids.basicValues,
                                                               grids.liftingAxleCount, grids.liftingAxleValues);

    std::vector<ParameterRow> rows;
    const size_t shown = std::min(basicCount, grids.basicValues.size());
    rows.reserve(shown);
    for (size_t k = 0; k < shown; ++k) rows.push_back({grids.basicNames[k], grids.basicValues[k]});
    RunParameterFlagPass(rows, FlagPass::EditOrFileLoad);
    if (showLoaded)
        showLoaded(grids);

    if (read.Short())
        GetPrompter().Show(ShortParameterFileText(read), LanguageText(kRowTipsCaption), MsgIcon::None,
                           MsgButtons::Ok);
    else
        Box(kRowFileLoaded, kRowTipsCaption);
    return true;
}

} // namespace tarvel
