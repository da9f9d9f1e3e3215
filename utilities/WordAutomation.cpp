#include "WordAutomation.h"

#include "Log.h"
#include "Prompter.h"

#include <cstdio>

namespace tarvel {

namespace {

const char kProgId[] = "Word.Application";
const char kFailedCaption[] = "Failed";

std::string Format(const char* pattern, const std::string& member, int number = 0)
{
    char text[512];
    std::snprintf(text, sizeof text, pattern, member.c_str(), number);
    return text;
}

// No OLE automation on this platform: the library is there in name only and
// no program id is registered.
class NoAutomationServer : public AutomationServer {
public:
    bool LibraryVersionSupported() override { return true; }
    bool Initialise() override { return true; }
    void Uninitialise() override {}
    bool ClassIdFromProgId(const std::string&) override { return false; }
    std::shared_ptr<AutomationObject> CreateLocalServer(const std::string&) override { return nullptr; }
};

} // namespace

AutomationValue AutomationValue::Bool(bool v)
{
    AutomationValue value;
    value.type = Type::Bool;
    value.boolValue = v;
    return value;
}

AutomationValue AutomationValue::Int(long v)
{
    AutomationValue value;
    value.type = Type::Int;
    value.intValue = v;
    return value;
}

AutomationValue AutomationValue::Double(double v)
{
    AutomationValue value;
    value.type = Type::Double;
    value.doubleValue = v;
    return value;
}

AutomationValue AutomationValue::String(std::string v)
{
    AutomationValue value;
    value.type = Type::String;
    value.text = std::move(v);
    return value;
}

AutomationValue AutomationValue::Object(std::shared_ptr<AutomationObject> v)
{
    AutomationValue value;
    value.type = Type::Object;
    value.object = std::move(v);
    return value;
}

bool AutomationValue::operator==(const AutomationValue& other) const
{
    if (type != other.type)
        return false;
    switch (type) {
    case Type::Empty:
    case Type::Unsupported:
        return true;
    case Type::Bool:
        return boolValue == other.boolValue;
    case Type::Int:
        return intValue == other.intValue;
    case Type::Double:
        return doubleValue == other.doubleValue;
    case Type::String:
        return text == other.text;
    case Type::Object:
        return object == other.object;
    case Type::Array:
        return variantArray == other.variantArray && items == other.items;
    }
    return false;
}

AutomationServer& DefaultAutomationServer()
{
    static NoAutomationServer server;
    return server;
}

std::string DescribeInvokeFailure(const std::string& member, const InvokeResult& result)
{
    switch (result.status) {
    case InvokeStatus::Ok:
        return std::string();
    case InvokeStatus::UnknownName:
        return Format("%s: Unknown name or named argument.", member);
    case InvokeStatus::BadParamCount:
        return Format("%s: Incorrect number of arguments.", member);
    case InvokeStatus::TypeMismatch:
        return Format("%s: Type mismatch, argument %d.", member, result.argumentIndex);
    case InvokeStatus::ParamNotFound:
        return Format("%s: Argument not found, argument %d.", member, result.argumentIndex);
    case InvokeStatus::ParamNotOptional:
        return Format("%s: Missing a required parameter.", member);
    case InvokeStatus::MemberNotFound:
        return Format("%s: method or property not found.", member);
    case InvokeStatus::Overflow:
        return Format("%s: Overflow while coercing argument values.", member);
    case InvokeStatus::NoNamedArgs:
        return Format("%s: Object implementation does not support named arguments.", member);
    case InvokeStatus::UnknownLcid:
        return Format("%s: The locale ID is unknown.", member);
    case InvokeStatus::Exception:
        return Format("%s: Error %d: ", member, result.exceptionCode) +
               (result.exceptionDescription.empty() ? std::string("<<No Description>>")
                                                    : result.exceptionDescription);
    case InvokeStatus::Other:
        break;
    }
    return Format("%s: Unknown error occured.", member);
}

CWordAutomation::CWordAutomation(AutomationServer& server) : server_(server) {}

CWordAutomation::~CWordAutomation()
{
    document_.reset();
    application_.reset();
    if (oleInitialised_)
        server_.Uninitialise();
}

bool CWordAutomation::Fail(const std::string& text)
{
    lastError_ = text;
    TraceLog(text);
    return false;
}

bool CWordAutomation::InitOLE()
{
    if (oleInitialised_)
        return true;
    if (!server_.LibraryVersionSupported()) {
        Fail("Incorrect version of OLE libraries.");
        ShowMessage(lastError_, kFailedCaption, MsgIcon::Error);
        return false;
    }
    if (!server_.Initialise()) {
        Fail("Cannot initialize OLE.");
        ShowMessage(lastError_, kFailedCaption, MsgIcon::Error);
        return false;
    }
    oleInitialised_ = true;
    return true;
}

bool CWordAutomation::CreateApplication()
{
    if (application_)
        return true;
    if (!InitOLE())
        return false;
    if (!server_.ClassIdFromProgId(kProgId)) {
        Fail("Cannot obtain CLSID from ProgID");
        ShowMessage(lastError_, kFailedCaption, MsgIcon::Error);
        return false;
    }
    application_ = server_.CreateLocalServer(kProgId);
    if (!application_) {
        Fail(std::string("Cannot start the word processor (") + kProgId + ").");
        ShowMessage(lastError_, kFailedCaption, MsgIcon::Error);
        return false;
    }
    return true;
}

bool CWordAutomation::Call(AutomationObject& target, const std::string& member, InvokeKind kind,
                           const std::vector<NamedArgument>& args, AutomationValue* result)
{
    AutomationValue ignored;
    const InvokeResult outcome = target.Invoke(member, kind, args, result ? result : &ignored);
    if (!result)
        ReleaseVariant(ignored);
    if (outcome.status != InvokeStatus::Ok)
        return Fail(DescribeInvokeFailure(member, outcome));
    return true;
}

bool CWordAutomation::Put(AutomationObject& target, const std::string& property, AutomationValue value)
{
    std::vector<NamedArgument> args;
    args.push_back(NamedArgument{property, std::move(value)});
    return Call(target, property, InvokeKind::PropertyPut, args);
}

std::shared_ptr<AutomationObject> CWordAutomation::GetObject(AutomationObject& target, const std::string& member,
                                                             const std::vector<NamedArgument>& args)
{
    AutomationValue value;
    const InvokeKind kind = args.empty() ? InvokeKind::PropertyGet : InvokeKind::Method;
    if (!Call(target, member, kind, args, &value))
        return nullptr;
    if (value.type != AutomationValue::Type::Object || !value.object) {
        ReleaseVariant(value);
        Fail(member + ": method or property not found.");
        return nullptr;
    }
    return value.object;
}

std::shared_ptr<AutomationObject> CWordAutomation::Selection()
{
    if (!application_) {
        Fail(std::string(kProgId) + " is not running.");
        return nullptr;
    }
    return GetObject(*application_, "Selection");
}

bool CWordAutomation::SetVisible(bool visible)
{
    if (!application_)
        return Fail(std::string(kProgId) + " is not running.");
    return Call(*application_, "Visible", InvokeKind::PropertyPut, {{"Visible", AutomationValue::Bool(visible)}});
}

bool CWordAutomation::NewDocument()
{
    if (!application_)
        return Fail(std::string(kProgId) + " is not running.");
    auto documents = GetObject(*application_, "Documents");
    if (!documents)
        return false;
    AutomationValue added;
    if (!Call(*documents, "Add", InvokeKind::Method, {}, &added))
        return false;
    document_ = added.type == AutomationValue::Type::Object ? added.object : nullptr;
    return true;
}

bool CWordAutomation::OpenDocument(const std::string& fileName)
{
    if (!application_)
        return Fail(std::string(kProgId) + " is not running.");
    auto documents = GetObject(*application_, "Documents");
    if (!documents)
        return false;
    AutomationValue opened;
    if (!Call(*documents, "Open", InvokeKind::Method, {{"FileName", AutomationValue::String(fileName)}}, &opened))
        return false;
    document_ = opened.type == AutomationValue::Type::Object ? opened.object : nullptr;
    return true;
}

bool CWordAutomation::SaveAs(const std::string& fileName)
{
    if (!application_)
        return Fail(std::string(kProgId) + " is not running.");
    auto active = GetObject(*application_, "ActiveDocument");
    return active && Call(*active, "SaveAs", InvokeKind::Method, {{"FileName", AutomationValue::String(fileName)}});
}

bool CWordAutomation::CloseDocument(bool saveChanges)
{
    if (!application_)
        return Fail(std::string(kProgId) + " is not running.");
    auto active = GetObject(*application_, "ActiveDocument");
    if (!active || !Call(*active, "Close", InvokeKind::Method, {{"SaveChanges", AutomationValue::Bool(saveChanges)}}))
        return false;
    document_.reset();
    return true;
}

bool CWordAutomation::Quit()
{
    if (!application_)
        return Fail(std::string(kProgId) + " is not running.");
    if (!Call(*application_, "Quit", InvokeKind::Method))
        return false;
    document_.reset();
    application_.reset();
    return true;
}

bool CWordAutomation::TypeText(const std::string& text)
{
    auto selection = Selection();
    return selection && Call(*selection, "TypeText", InvokeKind::Method, {{"Text", AutomationValue::String(text)}});
}

bool CWordAutomation::Paste()
{
    auto selection = Selection();
    return selection && Call(*selection, "Paste", InvokeKind::Method);
}

bool CWordAutomation::Copy()
{
    auto selection = Selection();
    return selection && Call(*selection, "Copy", InvokeKind::Method);
}

bool CWordAutomation::MoveLeft(int unit, int count, bool extend)
{
    auto selection = Selection();
    return selection && Call(*selection, "MoveLeft", InvokeKind::Method,
                             {{"Unit", AutomationValue::Int(unit)},
                              {"Count", AutomationValue::Int(count)},
                              {"Extend", AutomationValue::Bool(extend)}});
}

bool CWordAutomation::MoveDown(int unit, int count, bool extend)
{
    auto selection = Selection();
    return selection && Call(*selection, "MoveDown", InvokeKind::Method,
                             {{"Unit", AutomationValue::Int(unit)},
                              {"Count", AutomationValue::Int(count)},
                              {"Extend", AutomationValue::Bool(extend)}});
}

bool CWordAutomation::HomeKey(int unit, bool extend)
{
    auto selection = Selection();
    return selection && Call(*selection, "HomeKey", InvokeKind::Method,
                             {{"Unit", AutomationValue::Int(unit)}, {"Extend", AutomationValue::Bool(extend)}});
}

bool CWordAutomation::EndKey(int unit, bool extend)
{
    auto selection = Selection();
    return selection && Call(*selection, "EndKey", InvokeKind::Method,
                             {{"Unit", AutomationValue::Int(unit)}, {"Extend", AutomationValue::Bool(extend)}});
}

bool CWordAutomation::GoTo(int what, int which, int count)
{
    auto selection = Selection();
    return selection && Call(*selection, "GoTo", InvokeKind::Method,
                             {{"What", AutomationValue::Int(what)},
                              {"Which", AutomationValue::Int(which)},
                              {"Count", AutomationValue::Int(count)}});
}

bool CWordAutomation::SetFont(const std::string& name, double size, long colour, bool bold, bool italic)
{
    auto selection = Selection();
    if (!selection)
        return false;
    auto font = GetObject(*selection, "Font");
    if (!font)
        return false;
    return Put(*font, "Name", AutomationValue::String(name)) && Put(*font, "Size", AutomationValue::Double(size)) &&
           Put(*font, "Color", AutomationValue::Int(colour)) && Put(*font, "Bold", AutomationValue::Bool(bold)) &&
           Put(*font, "Italic", AutomationValue::Bool(italic));
}

bool CWordAutomation::SetParagraph(int lineSpacingRule, double leftIndentCharacters)
{
    auto selection = Selection();
    if (!selection)
        return false;
    auto paragraph = GetObject(*selection, "ParagraphFormat");
    if (!paragraph)
        return false;
    return Put(*paragraph, "LineSpacingRule", AutomationValue::Int(lineSpacingRule)) &&
           Put(*paragraph, "CharacterUnitLeftIndent", AutomationValue::Double(leftIndentCharacters));
}

long CWordAutomation::ComputeStatistics(int statistic)
{
    if (!application_) {
        Fail(std::string(kProgId) + " is not running.");
        return -1;
    }
    auto active = GetObject(*application_, "ActiveDocument");
    if (!active)
        return -1;
    AutomationValue count;
    if (!Call(*active, "ComputeStatistics", InvokeKind::Method, {{"Statistic", AutomationValue::Int(statistic)}},
              &count))
        return -1;
    if (count.type != AutomationValue::Type::Int) {
        ReleaseVariant(count);
        Fail("ComputeStatistics: unexpected result type.");
        return -1;
    }
    return count.intValue;
}

std::vector<std::string> CWordAutomation::GetSpellingSuggestions(const std::string& word)
{
    if (!application_) {
        Fail(std::string(kProgId) + " is not running.");
        return {};
    }
    auto suggestions = GetObject(*application_, "GetSpellingSuggestions", {{"Word", AutomationValue::String(word)}});
    if (!suggestions)
        return {};
    AutomationValue count;
    if (!Call(*suggestions, "Count", InvokeKind::PropertyGet, {}, &count))
        return {};
    if (count.type != AutomationValue::Type::Int || count.intValue < 0) {
        ReleaseVariant(count);
        Fail("Count: unexpected result type.");
        return {};
    }
    std::vector<std::string> words;
    for (long index = 1; index <= count.intValue; ++index) {
        auto item = GetObject(*suggestions, "Item", {{"Index", AutomationValue::Int(index)}});
        if (!item)
            return {};
        AutomationValue name;
        if (!Call(*item, "Name", InvokeKind::PropertyGet, {}, &name))
            return {};
        if (name.type == AutomationValue::Type::String)
            words.push_back(name.text);
        ReleaseVariant(name);
    }
    if (words.empty())
        words.push_back("No spelling");
    return words;
}

bool CWordAutomation::ReleaseVariant(AutomationValue& value)
{
    bool ok = true;
    switch (value.type) {
    case AutomationValue::Type::Array:
        if (!value.variantArray) {
            ok = Fail("ReleaseVariant: Array contains non-variant type");
            break;
        }
        for (AutomationValue& item : value.items)
            ok = ReleaseVariant(item) && ok;
        break;
    case AutomationValue::Type::Unsupported:
        ok = Fail("ReleaseVariant: Unknown type");
        break;
    default:
        break;
    }
    value = AutomationValue();
    return ok;
}

} // namespace tarvel
