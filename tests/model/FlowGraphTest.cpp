// The flow graph of a body: which statement may run after which, and where runs start.

#include "script/FileReader.h"
#include "script/FlowGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

using namespace script;

namespace {

std::pair<int, int> Position(const TFlowNode& node)
{
    const TSourcePos& pos = node.Role == TNodeRole::BodyEnd ? node.Stmt->Range.End : node.Stmt->Range.Begin;
    return {pos.Line, pos.Column};
}

std::string What(const TFlowNode& node)
{
    const TStmt& s = *node.Stmt;
    if (node.Role == TNodeRole::BodyEnd)
        return "}";
    switch (s.Kind) {
    case TStmtKind::Command: return s.Name;
    case TStmtKind::Label: return s.Name + ":";
    case TStmtKind::Assign: return "assign";
    case TStmtKind::If: return "if";
    case TStmtKind::While: return "while";
    case TStmtKind::Do: return "do";
    case TStmtKind::For: return "for";
    case TStmtKind::Switch: return "switch";
    case TStmtKind::Case: return "case";
    case TStmtKind::Default: return "default";
    case TStmtKind::Break: return "break";
    case TStmtKind::Continue: return "continue";
    case TStmtKind::Function: return "function";
    default: return "?";
    }
}

// Every node as "LINE:WHAT>NEXT,NEXT" in source order, then the entries.
std::string Shape(const TFlowGraph& graph)
{
    auto name = [&](int n) { return std::to_string(Position(graph.Nodes[n]).first) + ":" + What(graph.Nodes[n]); };
    auto bySource = [&](int a, int b) { return Position(graph.Nodes[a]) < Position(graph.Nodes[b]); };
    std::vector<int> order(graph.Nodes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), bySource);
    std::string shape;
    for (const int n : order) {
        std::vector<int> next(graph.Nodes[n].Next.begin(), graph.Nodes[n].Next.end());
        std::sort(next.begin(), next.end(), bySource);
        shape += (shape.empty() ? "" : " ") + name(n) + ">";
        for (std::size_t i = 0; i < next.size(); ++i)
            shape += (i ? "," : "") + name(next[i]);
    }
    std::vector<TFlowEntry> entries = graph.Entries;
    std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) { return bySource(a.Node, b.Node); });
    shape += " | entries";
    for (const TFlowEntry& e : entries)
        shape += " " + name(e.Node) + "=" +
                 (e.Kind == TEntryKind::Start ? "start" : e.Kind == TEntryKind::Event ? "event" : "called");
    return shape;
}

// Every node in the graph's own order with its traits and its ways in theirs, the entries, and
// where each statement is entered: the order matters to the facts' bounded search.
std::string Layout(const TFlowGraph& graph)
{
    std::string out;
    for (const TFlowNode& node : graph.Nodes) {
        out += What(node) + "#" + std::to_string(node.Traits) + ">";
        for (const int next : node.Next)
            out += std::to_string(next) + ",";
        out += std::to_string(node.OnTrue) + "/" + std::to_string(node.OnFalse) + " ";
    }
    for (const TFlowEntry& e : graph.Entries)
        out += "e" + std::to_string(e.Node) + "=" + std::to_string(static_cast<int>(e.Kind)) + " ";
    for (std::size_t i = 0; i < graph.FirstNodes.size(); ++i)
        out += "s" + std::to_string(graph.Sizes[i]) + "@" + std::to_string(graph.FirstNodes[i]) + " ";
    for (const TMissingTarget& m : graph.Missing)
        out += "missing " + m.Target->Text;
    return out + " traits " + std::to_string(graph.Traits);
}

struct GraphCase {
    const char* Name;
    std::string Body;  // from line 2
    std::string Shape;
};

class FlowGraphShape : public ::testing::TestWithParam<GraphCase> {};

TEST_P(FlowGraphShape, FollowsTheServersRun)
{
    const TScriptFile file = ReadScriptFile("-\tscript\tX\t-1,{\n" + GetParam().Body + "}\n");
    ASSERT_TRUE(file.Diagnostics.empty()) << file.Diagnostics[0].Message;
    const TStmt& body = *file.Entries[0].Body;
    const TFlowGraph graph = BuildFlowGraph(body, false);
    EXPECT_EQ(Shape(graph), GetParam().Shape);
    // Joined from a part for each statement, as after an edit, the graph is the same.
    std::vector<TFlowPart> parts;
    for (const auto& child : body.Children)
        parts.push_back(BuildFlowPart(*child));
    EXPECT_EQ(Layout(JoinFlowParts(body, false, parts)), Layout(graph));
}

INSTANTIATE_TEST_SUITE_P(Flow, FlowGraphShape, ::testing::Values(
    GraphCase{"WhileWithBreakAndContinue",
              "\tset .@i, 0;\n\twhile (.@i < 3) {\n\t\tif (.@i == 1) break;\n\t\tset .@i, .@i + 1;\n\t\tcontinue;\n\t}\n\tend;\n",
              "2:set>3:while 3:while>4:if,8:end 4:if>4:break,5:set 4:break>8:end 5:set>6:continue "
              "6:continue>3:while 8:end> 9:}> | entries 2:set=start"},
    GraphCase{"ForWithoutConditionAndDo",
              "\tfor (set .@i, 0; ; .@i++) {\n\t\tif (.@i > 2) break;\n\t}\n\tdo {\n\t\tset .@j, .@j + 1;\n"
              "\t} while (.@j < 3);\n\tend;\n",
              "2:for>3:if 2:set>2:for 2:assign>2:for 3:if>2:assign,3:break 3:break>6:set 5:do>6:set,8:end "
              "6:set>5:do 8:end> 9:}> | entries 2:set=start"},
    GraphCase{"SwitchFallsThroughCases",
              "\tswitch (.@x) {\n\tcase 1:\n\t\tmes \"a\";\n\tcase 2:\n\t\tbreak;\n\tdefault:\n\t\tclose;\n\t}\n\tend;\n",
              "2:switch>3:case,5:case,7:default 3:case>4:mes 4:mes>5:case 5:case>6:break 6:break>10:end "
              "7:default>8:close 8:close> 10:end> 11:}> | entries 2:switch=start"},
    GraphCase{"MenuJumpsAndEntries",
              "\tmenu \"A\",L_A,\"B\",-;\n\tcallsub S_Sub;\n\tend;\nL_A:\n\tgoto L_Missing;\nS_Sub:\n\treturn;\n"
              "OnInit:\n\tend;\n",
              "2:menu>3:callsub,5:L_A: 3:callsub>4:end 4:end> 5:L_A:>6:goto 6:goto> 7:S_Sub:>8:return "
              "8:return> 9:OnInit:>10:end 10:end> 11:}> | entries 2:menu=start 7:S_Sub:=called 9:OnInit:=event"},
    GraphCase{"MenuWithTwoWaysOnAndALabel",
              "\tmenu \"A\",-,\"B\",-,\"C\",L_C;\nL_C:\n\tclose;\n",
              "2:menu>3:L_C:,3:L_C:,3:L_C: 3:L_C:>4:close 4:close> 5:}> | entries 2:menu=start"},
    GraphCase{"EmptyBlockPassedAndLabelInABranch",
              "\tgoto L_In;\n\t{ }\n\tif (.@x) {\n\tL_In:\n\t\tmes \"a\";\n\t}\n\t{ }\n",
              "2:goto>5:L_In: 4:if>5:L_In:,9:} 5:L_In:>6:mes 6:mes>9:} 9:}> | entries 2:goto=start"},
    GraphCase{"ConstantConditionsAndLocalFunction",
              "\tif (0) mes \"never\";\n\twhile (1) {\n\t\tend;\n\t}\n\tfunction F {\n\t\treturn;\n\t}\n",
              "2:if>3:while 2:mes>3:while 3:while>4:end 4:end> 6:function>9:} 7:return> 8:}> 9:}> "
              "| entries 2:if=start 7:return=called"}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
