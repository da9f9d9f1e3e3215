#include "Log.h"
#include "Prompter.h"
#include "WordAutomation.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tarvel {
namespace {

using Type = AutomationValue::Type;

std::string Show(const AutomationValue& v)
{
    std::ostringstream out;
    switch (v.type) {
    case Type::Empty: out << "empty"; break;
    case Type::Bool: out << (v.boolValue ? "true" : "false"); break;
    case Type::Int: out << v.intValue; break;
    case Type::Double: out << v.doubleValue; break;
    case Type::String: out << '"' << v.text << '"'; break;
    case Type::Object: out << "object"; break;
    case Type::Array: out << "array"; break;
    case Type::Unsupported: out << "?"; break;
    }
    return out.str();
}

// A pretend word processor: every invocation is recorded as one line
// "Object.Member kind(Name=value, ...)"; members listed in children answer a
// further fake object; failures and results can be scripted per member.
struct FakeWord {
    std::vector<std::string> calls;
    std::map<std::string, InvokeResult> failures;
    std::map<std::string, AutomationValue> results;

    class Object : public AutomationObject {
    public:
        Object(FakeWord& word, std::string name) : word_(word), name_(std::move(name)) {}

        InvokeResult Invoke(const std::string& member, InvokeKind kind, const std::vector<NamedArgument>& args,
                            AutomationValue* result) override
        {
            std::string line = name_ + "." + member +
                               (kind == InvokeKind::Method ? " call(" : kind == InvokeKind::PropertyGet ? " get(" : " put(");
            for (size_t i = 0; i < args.size(); ++i)
                line += (i ? ", " : "") + args[i].name + "=" + Show(args[i].value);
            word_.calls.push_back(line + ")");

            auto failure = word_.failures.find(member);
            if (failure != word_.failures.end())
                return failure->second;
            static const std::map<std::string, std::string> children = {
                {"Documents", "Documents"}, {"Add", "Document"},   {"Open", "Document"},
                {"ActiveDocument", "Document"}, {"Selection", "Selection"}, {"Font", "Font"},
                {"ParagraphFormat", "Paragraph"}, {"GetSpellingSuggestions", "Suggestions"}, {"Item", "Suggestion"}};
            auto child = children.find(member);
            if (child != children.end())
                *result = AutomationValue::Object(std::make_shared<Object>(word_, child->second));
            auto scripted = word_.results.find(name_ + "." + member);
            if (scripted != word_.results.end())
                *result = scripted->second;
            return InvokeResult::Success();
        }

    private:
        FakeWord& word_;
        std::string name_;
    };
};

class FakeServer : public AutomationServer {
public:
    explicit FakeServer(FakeWord& word) : word_(word) {}
    bool LibraryVersionSupported() override { return versionOk; }
    bool Initialise() override { ++initialised; return initialiseOk; }
    void Uninitialise() override { --initialised; }
    bool ClassIdFromProgId(const std::string& progId) override
    {
        askedProgId = progId;
        return progIdKnown;
    }
    std::shared_ptr<AutomationObject> CreateLocalServer(const std::string&) override
    {
        return canStart ? std::make_shared<FakeWord::Object>(word_, "Application") : nullptr;
    }

    bool versionOk = true, initialiseOk = true, progIdKnown = true, canStart = true;
    int initialised = 0;
    std::string askedProgId;

private:
    FakeWord& word_;
};

class WordAutomationTest : public ::testing::Test {
protected:
    FakeWord word;
    FakeServer server{word};
    RecordingPrompter prompter;
    ScopedPrompter scopedPrompter{prompter};
};

TEST_F(WordAutomationTest, NewDocumentTypeTextSaveAsCallsInOrder)
{
    {
        CWordAutomation automation(server);
        ASSERT_TRUE(automation.CreateApplication());
        EXPECT_EQ(server.askedProgId, "Word.Application");
        EXPECT_EQ(server.initialised, 1);
        ASSERT_TRUE(automation.SetVisible(true));
        ASSERT_TRUE(automation.NewDocument());
        ASSERT_TRUE(automation.TypeText("Brake test passed"));
        ASSERT_TRUE(automation.SaveAs("/tmp/report.doc"));
        ASSERT_TRUE(automation.CloseDocument(false));
        ASSERT_TRUE(automation.Quit());
        EXPECT_FALSE(automation.HasApplication());
    }
    EXPECT_EQ(server.initialised, 0); // uninitialised with the object
    EXPECT_EQ(word.calls, (std::vector<std::string>{
                              "Application.Visible put(Visible=true)",
                              "Application.Documents get()",
                              "Documents.Add call()",
                              "Application.Selection get()",
                              "Selection.TypeText call(Text=\"Brake test passed\")",
                              "Application.ActiveDocument get()",
                              "Document.SaveAs call(FileName=\"/tmp/report.doc\")",
                              "Application.ActiveDocument get()",
                              "Document.Close call(SaveChanges=false)",
                              "Application.Quit call()",
                          }));
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(WordAutomationTest, SelectionFormattingAndMovementMembers)
{
    CWordAutomation automation(server);
    ASSERT_TRUE(automation.CreateApplication());
    ASSERT_TRUE(automation.OpenDocument("in.doc"));
    ASSERT_TRUE(automation.SetFont("Arial", 10.5, 0x0000FF, true, false));
    ASSERT_TRUE(automation.SetParagraph(1, 2));
    ASSERT_TRUE(automation.MoveLeft(CWordAutomation::wdCharacter, 3, true));
    ASSERT_TRUE(automation.MoveDown(CWordAutomation::wdLine, 2, false));
    ASSERT_TRUE(automation.HomeKey(CWordAutomation::wdStory, false));
    ASSERT_TRUE(automation.EndKey(CWordAutomation::wdLine, true));
    ASSERT_TRUE(automation.GoTo(CWordAutomation::wdGoToPage, 1, 4));
    ASSERT_TRUE(automation.Copy());
    ASSERT_TRUE(automation.Paste());
    // Keep only the members of the objects below the selection.
    std::vector<std::string> calls;
    for (const std::string& c : word.calls)
        if (c.rfind("Application.Selection", 0) != 0)
            calls.push_back(c);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "Application.Documents get()",
                         "Documents.Open call(FileName=\"in.doc\")",
                         "Selection.Font get()",
                         "Font.Name put(Name=\"Arial\")",
                         "Font.Size put(Size=10.5)",
                         "Font.Color put(Color=255)",
                         "Font.Bold put(Bold=true)",
                         "Font.Italic put(Italic=false)",
                         "Selection.ParagraphFormat get()",
                         "Paragraph.LineSpacingRule put(LineSpacingRule=1)",
                         "Paragraph.CharacterUnitLeftIndent put(CharacterUnitLeftIndent=2)",
                         "Selection.MoveLeft call(Unit=1, Count=3, Extend=true)",
                         "Selection.MoveDown call(Unit=5, Count=2, Extend=false)",
                         "Selection.HomeKey call(Unit=6, Extend=false)",
                         "Selection.EndKey call(Unit=5, Extend=true)",
                         "Selection.GoTo call(What=1, Which=1, Count=4)",
                         "Selection.Copy call()",
                         "Selection.Paste call()",
                     }));
}

TEST_F(WordAutomationTest, StatisticsAndSpellingSuggestions)
{
    CWordAutomation automation(server);
    ASSERT_TRUE(automation.CreateApplication());
    word.results["Document.ComputeStatistics"] = AutomationValue::Int(42);
    EXPECT_EQ(automation.ComputeStatistics(0), 42);

    word.results["Suggestions.Count"] = AutomationValue::Int(2);
    word.results["Suggestion.Name"] = AutomationValue::String("brake");
    word.calls.clear();
    EXPECT_EQ(automation.GetSpellingSuggestions("brkae"), (std::vector<std::string>{"brake", "brake"}));
    EXPECT_EQ(word.calls, (std::vector<std::string>{
                              "Application.GetSpellingSuggestions call(Word=\"brkae\")",
                              "Suggestions.Count get()",
                              "Suggestions.Item call(Index=1)",
                              "Suggestion.Name get()",
                              "Suggestions.Item call(Index=2)",
                              "Suggestion.Name get()",
                          }));

    word.results["Suggestions.Count"] = AutomationValue::Int(0);
    EXPECT_EQ(automation.GetSpellingSuggestions("brake"), std::vector<std::string>{"No spelling"});
}

TEST(WordAutomationTexts, InvokeFailureFormats)
{
    auto failure = [](InvokeStatus status, int arg = 0, int code = 0, std::string description = "") {
        InvokeResult r = InvokeResult::Failure(status);
        r.argumentIndex = arg;
        r.exceptionCode = code;
        r.exceptionDescription = std::move(description);
        return r;
    };
    const struct {
        InvokeResult result;
        const char* text;
    } cases[] = {
        {failure(InvokeStatus::UnknownName), "Add: Unknown name or named argument."},
        {failure(InvokeStatus::BadParamCount), "Add: Incorrect number of arguments."},
        {failure(InvokeStatus::TypeMismatch, 2), "Add: Type mismatch, argument 2."},
        {failure(InvokeStatus::ParamNotFound, 1), "Add: Argument not found, argument 1."},
        {failure(InvokeStatus::ParamNotOptional), "Add: Missing a required parameter."},
        {failure(InvokeStatus::MemberNotFound), "Add: method or property not found."},
        {failure(InvokeStatus::Overflow), "Add: Overflow while coercing argument values."},
        {failure(InvokeStatus::NoNamedArgs), "Add: Object implementation does not support named arguments."},
        {failure(InvokeStatus::UnknownLcid), "Add: The locale ID is unknown."},
        {failure(InvokeStatus::Other), "Add: Unknown error occured."},
        {failure(InvokeStatus::Exception, 0, 5152, "Bad file name."), "Add: Error 5152: Bad file name."},
        {failure(InvokeStatus::Exception, 0, 7), "Add: Error 7: <<No Description>>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeInvokeFailure("Add", c.result), c.text);
}

TEST_F(WordAutomationTest, FailedInvocationStopsTheSequenceWithItsText)
{
    CWordAutomation automation(server);
    ASSERT_TRUE(automation.CreateApplication());
    InvokeResult mismatch = InvokeResult::Failure(InvokeStatus::TypeMismatch);
    mismatch.argumentIndex = 1;
    word.failures["Size"] = mismatch;
    EXPECT_FALSE(automation.SetFont("Arial", 1e9, 0, false, false));
    EXPECT_EQ(automation.LastError(), "Size: Type mismatch, argument 1.");
    EXPECT_EQ(word.calls.back(), "Font.Size put(Size=1e+09)"); // nothing after the failure

    word.failures["Documents"] = InvokeResult::Failure(InvokeStatus::UnknownName);
    EXPECT_FALSE(automation.NewDocument());
    EXPECT_EQ(automation.LastError(), "Documents: Unknown name or named argument.");
    // Answers of the wrong type are failures too, not garbage results.
    EXPECT_EQ(automation.ComputeStatistics(1), -1);
    EXPECT_EQ(automation.LastError(), "ComputeStatistics: unexpected result type.");
    EXPECT_TRUE(automation.GetSpellingSuggestions("x").empty());
    EXPECT_EQ(automation.LastError(), "Count: unexpected result type.");
}

TEST_F(WordAutomationTest, StartFailuresShowFailedBoxes)
{
    const struct {
        bool versionOk, initialiseOk, progIdKnown, canStart;
        const char* text;
    } cases[] = {
        {false, true, true, true, "Incorrect version of OLE libraries."},
        {true, false, true, true, "Cannot initialize OLE."},
        {true, true, false, true, "Cannot obtain CLSID from ProgID"},
        {true, true, true, false, "Cannot start the word processor (Word.Application)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        prompter.Clear();
        server.versionOk = c.versionOk;
        server.initialiseOk = c.initialiseOk;
        server.progIdKnown = c.progIdKnown;
        server.canStart = c.canStart;
        CWordAutomation automation(server);
        EXPECT_FALSE(automation.CreateApplication());
        EXPECT_EQ(automation.LastError(), c.text);
        ASSERT_EQ(prompter.Count(), 1u);
        EXPECT_EQ(prompter.Boxes()[0].text, c.text);
        EXPECT_EQ(prompter.Boxes()[0].caption, "Failed");
        EXPECT_EQ(prompter.Boxes()[0].icon, MsgIcon::Error);
        // Every later call fails cleanly without an application.
        EXPECT_FALSE(automation.TypeText("x"));
        EXPECT_EQ(automation.LastError(), "Word.Application is not running.");
    }
    EXPECT_TRUE(word.calls.empty());
}

TEST(WordAutomationDefaultServer, CannotObtainTheWordApplication)
{
    RecordingPrompter prompter;
    ScopedPrompter scoped(prompter);
    CWordAutomation automation;
    EXPECT_TRUE(automation.InitOLE());
    EXPECT_FALSE(automation.CreateApplication());
    EXPECT_FALSE(automation.HasApplication());
    EXPECT_EQ(automation.LastError(), "Cannot obtain CLSID from ProgID");
    EXPECT_EQ(prompter.Count(), 1u);
    EXPECT_FALSE(automation.NewDocument());
}

TEST(WordAutomationRelease, ArraysMustHoldVariants)
{
    CWordAutomation automation(DefaultAutomationServer());
    AutomationValue array;
    array.type = Type::Array;
    array.items = {AutomationValue::Int(1), AutomationValue::String("a")};
    EXPECT_TRUE(automation.ReleaseVariant(array));
    EXPECT_EQ(array.type, Type::Empty);

    array.type = Type::Array;
    array.variantArray = false;
    EXPECT_FALSE(automation.ReleaseVariant(array));
    EXPECT_EQ(automation.LastError(), "ReleaseVariant: Array contains non-variant type");

    AutomationValue odd;
    odd.type = Type::Unsupported;
    EXPECT_FALSE(automation.ReleaseVariant(odd));
    EXPECT_EQ(automation.LastError(), "ReleaseVariant: Unknown type");
}

} // namespace
} // namespace tarvel
