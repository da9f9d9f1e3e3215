// Drives a word processor through an automation server (the "Word.Application"
// object) to write documents. The server sits behind AutomationServer so the
// class runs the same against a real automation bridge or a test double; on
// platforms without OLE automation the default server cannot provide the
// application and every call fails with a clear text.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tarvel {

class AutomationObject;

// A value passed to or returned by an automation member.
struct AutomationValue {
    enum class Type { Empty, Bool, Int, Double, String, Object, Array, Unsupported };

    Type type = Type::Empty;
    bool boolValue = false;
    long intValue = 0;
    double doubleValue = 0.0;
    std::string text;
    std::shared_ptr<AutomationObject> object;
    // Arrays: the elements, and whether the array holds variants (values of
    // any type) or raw elements of one fixed type that cannot be walked.
    std::vector<AutomationValue> items;
    bool variantArray = true;

    static AutomationValue Bool(bool v);
    static AutomationValue Int(long v);
    static AutomationValue Double(double v);
    static AutomationValue String(std::string v);
    static AutomationValue Object(std::shared_ptr<AutomationObject> v);

    bool operator==(const AutomationValue& other) const;
    bool operator!=(const AutomationValue& other) const { return !(*this == other); }
};

struct NamedArgument {
    std::string name;
    AutomationValue value;

    bool operator==(const NamedArgument& other) const { return name == other.name && value == other.value; }
};

enum class InvokeKind { Method, PropertyGet, PropertyPut };

enum class InvokeStatus {
    Ok,
    UnknownName,      // member or named argument unknown
    BadParamCount,
    TypeMismatch,     // argumentIndex tells which
    ParamNotFound,    // argumentIndex tells which
    ParamNotOptional, // a required parameter is missing
    MemberNotFound,
    Overflow,
    NoNamedArgs,
    UnknownLcid,
    Exception,        // exceptionCode and exceptionDescription tell more
    Other,
};

struct InvokeResult {
    InvokeStatus status = InvokeStatus::Ok;
    int argumentIndex = 0;
    int exceptionCode = 0;
    std::string exceptionDescription; // empty when the server gave none

    static InvokeResult Success() { return {}; }
    static InvokeResult Failure(InvokeStatus status) { InvokeResult r; r.status = status; return r; }
};

// One object of the automation server (the application, a document, a
// selection, ...). Members are looked up by name and invoked with named
// arguments.
class AutomationObject {
public:
    virtual ~AutomationObject() = default;
    virtual InvokeResult Invoke(const std::string& member, InvokeKind kind, const std::vector<NamedArgument>& args,
                                AutomationValue* result) = 0;
};

class AutomationServer {
public:
    virtual ~AutomationServer() = default;
    virtual bool LibraryVersionSupported() = 0;
    virtual bool Initialise() = 0;
    virtual void Uninitialise() = 0;
    // Whether a class is registered under the program id.
    virtual bool ClassIdFromProgId(const std::string& progId) = 0;
    // Starts the server's application object; nullptr when it cannot.
    virtual std::shared_ptr<AutomationObject> CreateLocalServer(const std::string& progId) = 0;
};

// The server for this platform. Without OLE automation it initialises but
// knows no program ids, so "Word.Application" cannot be obtained.
AutomationServer& DefaultAutomationServer();

// The text for a failed invocation of member, e.g. "TypeText: Type mismatch, argument 1.".
std::string DescribeInvokeFailure(const std::string& member, const InvokeResult& result);

class CWordAutomation {
public:
    // Word's WdUnits and WdGoToItem values most used with the movement calls.
    enum Unit { wdCharacter = 1, wdWord = 2, wdLine = 5, wdStory = 6 };
    enum GoToItem { wdGoToPage = 1, wdGoToLine = 3 };

    explicit CWordAutomation(AutomationServer& server = DefaultAutomationServer());
    virtual ~CWordAutomation();

    CWordAutomation(const CWordAutomation&) = delete;
    CWordAutomation& operator=(const CWordAutomation&) = delete;

    // Checks the automation library and initialises it; failures show an
    // error box captioned "Failed".
    bool InitOLE();
    // Starts the word processor; failures show an error box captioned "Failed".
    bool CreateApplication();

    bool SetVisible(bool visible);
    bool NewDocument();
    bool OpenDocument(const std::string& fileName);
    bool SaveAs(const std::string& fileName);
    bool CloseDocument(bool saveChanges);
    bool Quit();

    bool TypeText(const std::string& text);
    bool Paste();
    bool Copy();
    bool MoveLeft(int unit, int count, bool extend);
    bool MoveDown(int unit, int count, bool extend);
    bool HomeKey(int unit, bool extend);
    bool EndKey(int unit, bool extend);
    bool GoTo(int what, int which, int count);

    // colour: Word's colour value (0x00BBGGRR).
    bool SetFont(const std::string& name, double size, long colour, bool bold, bool italic);
    bool SetParagraph(int lineSpacingRule, double leftIndentCharacters);

    // ActiveDocument.ComputeStatistics(statistic); -1 on failure.
    long ComputeStatistics(int statistic);

    // The suggestions for a misspelt word, or {"No spelling"} when there are
    // none; empty when the call fails (LastError() tells why).
    std::vector<std::string> GetSpellingSuggestions(const std::string& word);

    // Clears a value returned by the server. Arrays must hold variants.
    bool ReleaseVariant(AutomationValue& value);

    bool HasApplication() const { return application_ != nullptr; }
    const std::string& LastError() const { return lastError_; }

private:
    bool Call(AutomationObject& target, const std::string& member, InvokeKind kind,
              const std::vector<NamedArgument>& args = {}, AutomationValue* result = nullptr);
    bool Put(AutomationObject& target, const std::string& property, AutomationValue value);
    // Fetches an object-valued property of target (e.g. "Selection").
    std::shared_ptr<AutomationObject> GetObject(AutomationObject& target, const std::string& member,
                                                const std::vector<NamedArgument>& args = {});
    std::shared_ptr<AutomationObject> Selection();
    bool Fail(const std::string& text);

    AutomationServer& server_;
    std::shared_ptr<AutomationObject> application_;
    std::shared_ptr<AutomationObject> document_;
    bool oleInitialised_ = false;
    std::string lastError_;
};

} // namespace tarvel
