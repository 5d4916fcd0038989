// The runner in this process, against a stand-in module: scripts with the
// parser, the statements, loops and branches, their messages and exit
// statuses; prompts, Ctrl-C, the command line and the search for the module.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CliTesting.h"
#include "Host.h"
#include "Interrupt.h"
#include "Parser.h"
#include "Program.h"
#include "Runner.h"
#include "Session.h"
#include "support/ZelFixture.h"

namespace zelcli::testing {
namespace {

// A fresh stand-in module and session for each run of a script; Ctrl-C (the
// module's INTERRUPT) is caught as zel catches it.
class SessionRun : public ::testing::Test {
protected:
    int Run(const std::string& script, bool interactive = false) {
        std::istringstream in(script);
        return RunLines(session, in, "s.zel", interactive, prompts);
    }
    const InterruptGuard guard;
    FakeModule fake;
    tavrel::Host host{&FakeModule::Entry};
    std::ostringstream out, err, prompts;
    Session session{host, out, err};
};

class Scripts : public SessionRun, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(Scripts, GiveTheirOutputStatusAndPrompts) {
    const ScriptCase& c = GetParam();
    const int status = Run(c.script, c.prompts.has_value());
    ExpectOutcome(c, status, out.str(), err.str());
    EXPECT_EQ(prompts.str(), c.prompts.value_or(""));
}

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) repeated += text;
    return repeated;
}

constexpr int kStopped = kExitFailedCall;
constexpr int kBad = kExitBadScript;
using S = ScriptCase;

INSTANTIATE_TEST_SUITE_P(
    Lines, Scripts,
    ::testing::Values(
        // Numbers, variables, arithmetic and logic with their precedence.
        S{"   # only a comment\ny_1 = 1\nx = 2.5e3 + y_1 - 1E-2 + 7e+1 + 4. + .25\nprint x, .5, 3 # comment \"x\"\n",
          "2575.24 0.5 3\n"},
        S{"print 1 + 2 * 3, (1 + 2) * -3, 8 / 4 / 2 - 1 - 1, 2 * (3 + 4) - -1\n"
          "y = 2\nx=--y\nPrint_count = x\nprint Print_count, -y\n", "7 -9 -1 15\n2 -2\n"},
        S{"print 1 < 2, 2 < 1, 2 <= 2, 3 >= 4, 5 > 4, 1 == 1, 1 != 1, 2 < 1 + 2\n"
          "print 1 and 0, 1 and 2, 0 or 0, 0 or -3, not 0, not 7, not 1 + 1 == 3, NOT 1 == 1 AND 0\n"
          "print 1 or 0 and 0, 0 and 1 or 1 and 1, not not 2, (1 or 0) and 0\n"
          "m = -1.23456789e-300\nprint m == m, m < 0, m == 0, m != -1.23456789e-300\n",
          "1 0 1 0 1 1 0 1\n0 1 0 1 1 0 1 0\n1 1 1 0\n1 1 0 0\n"},
        // and and or look right only when they need to.
        S{"x = 0 and 1 / 0\ny = 1 or 1 / 0\nprint x, y\nz = 1 and 1 / 0\n", "0 1\n",
          "zel: s.zel:4: division by zero\n", kStopped},
        // Texts, string variables (the host's, in any case) and printing.
        S{"a$ = \"q\\\"x\\\\y\\tz # no comment\"\nB$ = A$\nE$ = \"\"\nprint b$, E$, \"n:\", 1\nprint E$, E$\n"
          "print \"l1\\nl2\\r\"\nprint\n", "q\"x\\y\tz # no comment  n: 1\n \nl1\nl2\r\n\n"},
        // Numbers in the host's number text (its own tests hold the cases), the missing value as --.
        S{"print 1, -0.125, 1/3, -1.23456789e-300, 1e21, 10000000, \"t\", 2 * -3\nprint 1,\nprint 2,\n",
          "1 -0.125 0.3333333333333333 -- 1e+21 10000000 t -6\n1 2\n"},
        // Argument texts reach the module as written; the result keeps its value.
        S{"zel.echo(data.bin, 0)\nzel.echo(  spaced  ,  \"q, (x)\"  )\nzel.echo(\"a)b\")\n"
          "zel.echo(f(1, g(2)), 3) # done\nzel.echo()\nzel.echo(a # b)\nZel.ECHO(\\t)\nn = zel.Echo(abcd) * 2\n"
          "print n\n",
          "echo:data.bin, 0\necho:  spaced  ,  \"q, (x)\"  \necho:\"a)b\"\necho:f(1, g(2)), 3\necho:\n"
          "echo:a # b\necho:\\t\necho:abcd\n8\n"},
        // Numbers in argument texts: variables and arithmetic over them, or none (-99).
        S{"h = 5\np = 2.5\nBig = 1e6\nA$ = \"7\"\nprint zel.num(h), zel.num(  h\t), zel.num(p*2 + h), "
          "zel.num(-h), zel.num((h - 1) / 2), zel.num(Big), zel.num(12), zel.num( -0.5 )\n"
          "print zel.num(big), zel.num(nope), zel.num(h / 0), zel.num(A$), zel.num(zel.nbytes), "
          "zel.num(h h), zel.num(data.bin), zel.num(\"3\"), zel.num(), zel.num(1 # 2)\n",
          "5 5 10 -5 2 1000000 12 -0.5\n-99 -99 -99 -99 -99 -99 -99 -99 -99 -99\n"},
        // Members: a set goes to the kind of its value; a read tries a number, then a text.
        S{"B$ = \"b.bin\"\nzel.filename = B$\nzel.open.mode = 1 + 1\nzel.nbytes = zel.open.mode * 2\n"
          "c$ = zel.filename\nprint zel.nbytes, zel.FileName, zel.open.mode, C$\nzel.filename = \"x.bin\"\n"
          "print zel.filename\n", "4 b.bin 2 b.bin\nx.bin\n"},
        S{"onerror continue\nzel.fail()\nerrors\nlist\nlist open # comment\nLIST \"ascii\"\n",
          "ERROR 22  SYSERR 3\nMoOpen\t900\n\t0\nlisting (all)\nlisting open\nlisting ascii\n",
          "zel: s.zel:2: zel.fail() failed: ERROR 22, SYSERR 3\n"},
        // Failures: under stop the rest of the statement and the script is abandoned.
        S{"print zel.echo(one), zel.fail(), zel.echo(two)\nprint 2\n", "echo:one\n",
          "zel: s.zel:1: zel.fail() failed: ERROR 22, SYSERR 3\n", kStopped},
        S{"Total = 1\nprint total\n", "", "zel: s.zel:2: unknown variable total\n", kStopped},
        S{"ONERROR continue\nx = zel.refuse(1)\nprint x\nprint zel.echo(one), zel.fail(), zel.echo(two)\n"
          "x = zel.fail(a, 1) + 1\nprint x\nx = 5\nx = zel.nosuch(1)\nx = zel.nbytes(1)\nx = zel.open\n"
          "x = zel.filename\nA$ = zel.nbytes\nx = y + 1\nx = Q\nq = 1\nx = 1 / (q - 1)\nprint x\n",
          "--\necho:one\necho:two\n3 -1 3\n0\n5\n",
          "zel: s.zel:2: zel.refuse(1) failed: more arguments than REFUSE takes (error 900, MoOpen)\n"
          "zel: s.zel:4: zel.fail() failed: ERROR 22, SYSERR 3\n"
          "zel: s.zel:4: warning: zel.echo(two): ERROR 22, SYSERR 3\n"
          "zel: s.zel:5: zel.fail(a, 1) failed: ERROR 22, SYSERR 3\n"
          "zel: s.zel:8: zel.nosuch(1) failed: no member \"NOSUCH\"\n"
          "zel: s.zel:9: zel.nbytes(1) failed: \"NBYTES\" is a property, not a method\n"
          "zel: s.zel:10: zel.open failed: \"OPEN\" is a method; call it as zel.open(...)\n"
          "zel: s.zel:11: zel.filename is a text; a number is expected here\n"
          "zel: s.zel:12: zel.nbytes is a number; a text is expected here\n"
          "zel: s.zel:13: unknown variable y\nzel: s.zel:14: unknown variable Q\n"
          "zel: s.zel:16: division by zero\n"},
        S{"onerror continue\nzel.nbytes = 5\nzel.nbytes = \"4\"\nzel.filename = 3\nzel.Frob = 3\n"
          "print zel.open.frob\nexit 256\nexit 0.5\nworksheet w -1\nshow nothing\nsave nothing to x.csv\n"
          "print zel.nbytes\n", "1\n",
          "zel: s.zel:2: zel.nbytes = 5 failed: ERROR 12 (a value outside the allowed range), SYSERR 0\n"
          "zel: s.zel:3: zel.nbytes = \"4\" failed: \"NBYTES\" takes a number, not a text\n"
          "zel: s.zel:4: zel.filename = 3 failed: \"FILENAME\" takes a text, not a number\n"
          "zel: s.zel:5: zel.Frob = 3 failed: no member \"FROB\"\n"
          "zel: s.zel:6: zel.open.frob failed: no member \"OPEN.FROB\"\n"
          "zel: s.zel:7: the exit status must be a whole number from 0 to 255, not 256\n"
          "zel: s.zel:8: the exit status must be a whole number from 0 to 255, not 0.5\n"
          "zel: s.zel:9: the number of columns must be a whole number from 0 to 1000, not -1\n"
          "zel: s.zel:10: no dataset or worksheet \"nothing\"\nzel: s.zel:11: no dataset or worksheet \"nothing\"\n"},
        // The host refuses a second worksheet of a name, a too long name, a
        // dataset of a worksheet's column name and a file it cannot create.
        S{"onerror continue\nworksheet W 1\nworksheet W\nworksheet " + std::string(120, 'n') +
              "\ndataset W_A = 1\nsave W to /no/such/folder/w.csv\nprint 1\n", "1\n",
          "zel: s.zel:3: cannot create the worksheet: worksheet W exists\n"
          "zel: s.zel:4: cannot create the worksheet: a worksheet name has 1 to 119 characters\n"
          "zel: s.zel:5: cannot create the dataset: the dataset W_A is a worksheet column\n"
          "zel: s.zel:6: cannot save W to /no/such/folder/w.csv: cannot create /no/such/folder/w.csv: "},
        // A line that does not parse runs nothing, even under continue.
        S{"onerror continue\nprint zel.echo(a)\nx = zel.echo(a) +\n", "",
          "zel: s.zel:3: cannot parse: expected a value but found end of line at column 18\n", kBad},
        S{"print 1\nexit 1 + 2\nprint 2\n", "1\n", "", 3}, S{"print 1\nquit 4\nprint 2\n", "1\n", "", 4},
        S{"EXIT\nprint 2\n", ""}, S{"help\n", StatementHelp()},
        // Datasets and worksheets are the host's; show prints them.
        S{"x = 4\ndataset d = 1, 2.5, x, -1.23456789e-300\ndataset e=1\ndataset \"t t\" text\nshow d\n"
          "show \"t t\"\nshow e 2 * 1\nworksheet Book1 3\nshow book1\nn = 2\nworksheet w n TEXT All\n"
          "show w\nworksheet \"W 2\"\nshow \"W 2\"\n",
          "   d\n1  1\n2  2.5\n3  4\n4  --\n   t t\n   e\n1  1\n   A  B  C\n   A  B\n\n"},
        S{"dataset d = 1, 2, 3\nshow d 2\n", "   d\n1  1\n2  2\n(the first 2 of 3 rows; show d N shows N)\n"},
        S{"worksheet w 2 text 3\nprint 1\n", "",
          "zel: s.zel:1: a text column must be a whole number from 1 to 2, not 3\n", kStopped},
        // Loops and branches.
        S{"n = 3\nfor i = 1 to n\n  n = 10\n  print i,\nnext\nprint\nfor i = 3 to 1 step -1\n  print i,\n"
          "next i\nprint\nFor i = 0 TO 1 Step 0.25\n  print i,\nNEXT\nprint\nfor i = 2 to 1\n"
          "  print \"never\"\nnext\nprint \"after\", i\nto = 1\nstep = 2\nfor step = to to step step step\n"
          "  print step\nnext\n", "1 2 3\n3 2 1\n0 0.25 0.5 0.75 1\nafter 2\n1\n"},
        S{"k = 0\ns = 0\nwhile k < 10\n  k = k + 1\n  if k == 3 or k == 5\n    continue\n  end\n"
          "  if k > 7\n    break\n  end\n  s = s + k\nend\nprint s, k\n", "20 8\n"},
        S{"for i = 1 to 3\n  j = 0\n  while 1\n    j = j + 1\n    if j > i\n      break\n    end\n"
          "    print i * 10 + j,\n  end\n  if i == 2\n    Continue\n  end\n  print \"/\",\nnext\n",
          "11 / 21 22 31 32 33 /\n"},
        S{"for x = 1 to 4\n  if x == 1\n    print \"one\"\n  else if x == 2\n    print \"two\"\n"
          "  else if x < 4\n    print \"few\"\n  ELSE\n    print \"many\"\n  End\nnext\nif 0\n"
          "  print \"no\"\nend\nif 1\nelse\nend\n", "one\ntwo\nfew\nmany\n"},
        S{Repeat("while 0\n", kMaxBlockDepth) + Repeat("end\n", kMaxBlockDepth) + "x = " +
              Repeat("(", kMaxNesting - 1) + "1" + Repeat(")", kMaxNesting - 1) + "\nprint x\n", "1\n"},
        S{"for i = 1 to 2 step 0\n  print i\nnext\nprint \"after\"\n", "",
          "zel: s.zel:1: the step of the for loop of i is 0\n", kStopped},
        S{"onerror continue\nwhile y > 0\n  print 1\nend\nprint \"after\"\n", "after\n",
          "zel: s.zel:2: unknown variable y\n"},
        S{"for i = 1 to 3\n  print i\n  if i == 2\n    zel.fail()\n  end\nnext\n", "1\n2\n",
          "zel: s.zel:4: zel.fail() failed", kStopped},
        // Ctrl-C ends a script with 130, naming the statement it did not run.
        S{"print 1\nzel.interrupt()\nprint 2\n", "1\n", "zel: s.zel:3: interrupted\n", kExitInterrupted},
        // A script ends with what its last line says; at the prompt only exit
        // and the end of input end the session, and a bad line discards its
        // block. The prompt comes before every line, the continuation prompt
        // inside an open block, and a line feed at the end of input.
        S{"x = 1\r\nprint 1\r\n", "1\n"}, S{"print 1", "1\n"}, S{"", ""}, S{"", "", "", 0, "zel> \n"},
        S{"x = 1\ny = (\nprint 1\n", "1\n", "s.zel:2: cannot parse", 0, "zel> zel> zel> zel> \n"},
        S{"next\nelse\nprint 1\n", "1\n", "s.zel:2: cannot parse: else without if", 0, "zel> zel> zel> zel> \n"},
        S{"zel.fail(a)\nprint 1\n", "1\n", "zel.fail(a) failed", 0, "zel> zel> zel> \n"},
        S{"exit 4\nprint 1\n", "", "", 4, "zel> "},
        S{"for i = 1 to 2\nprint i\n", "", "s.zel:1: cannot parse: for without next", 0, "zel> ...> ...> \n"},
        S{"if 1\nwhile 0\nend\nend\n", "", "", 0, "zel> ...> ...> ...> zel> \n"},
        S{"while 1\nz = (\nend\nprint 1\n", "1\n", "s.zel:2: cannot parse", 0, "zel> ...> zel> zel> zel> \n"},
        S{"for i = 1 to 3\nexit i\nnext\nprint 1\n", "", "", 1, "zel> ...> ...> "},
        S{"while 1\nzel.fail()\nend\nprint 1\n", "1\n", "zel.fail() failed", 0, "zel> ...> ...> zel> zel> \n"},
        // At the prompt Ctrl-C ends the block that runs, and the session goes on.
        S{"n = 0\nwhile 1\nn = n + 1\nif n == 3\nzel.interrupt()\nend\nend\nprint n\n", "3\n",
          "zel: s.zel:7: interrupted\n", 0, "zel> zel> ...> ...> ...> ...> ...> zel> zel> \n"}));

// Lines and blocks that do not parse: the script, parsed whole first, runs
// none of its lines and ends with 2.
struct RejectCase {
    std::string script;
    std::string reason;  // a part of the message
    int line = 1;
};

class Rejects : public SessionRun, public ::testing::WithParamInterface<RejectCase> {};
using R = RejectCase;

TEST_P(Rejects, RunNothing) {
    const RejectCase& c = GetParam();
    EXPECT_EQ(Run(c.script + (c.script.ends_with('\n') ? "" : "\n") + "print 1\n"), kExitBadScript);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("zel: s.zel:" + std::to_string(c.line) + ": cannot parse: "), std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Rejects,
    ::testing::Values(
        R{"x = 3abc", "bad number 3abc"}, R{"x = 1.2.3", "bad number 1.2.3"}, R{"x = 1e999", "out of range"},
        R{"A$ = \"abc", "no closing quote"}, R{"A$ = \"a\\qb\"", "unknown escape \\q"},
        R{"ab$ = \"\"", "string variables are A$ to Z$"}, R{"_$ = \"\"", "string variables are A$ to Z$"},
        R{"x @ 1", "unexpected '@' at column 3"}, R{"A$ = zel.getpos(h)", "A$ takes a text"},
        R{std::string("A$ = \"a\0b\"", 10), "NUL"}, R{"x = \x01", "character 0x01"},
        R{"zel.open(a, (b)", "no closing ')'"}, R{"zel.open(\"a)", "no closing quote"},
        R{"zel.open(\"a\" (\")\"", "no closing ')'"}, R{"zel.open(a", "no closing ')'"},
        R{"x = ", "expected a value but found end of line"}, R{"x 3", "expected '=' after x"},
        R{"3 = x", "a keyword, a variable or zel."}, R{"zel.open(a) + 1", "expected end of line"},
        R{"zel.filename", "'=' or '(' after zel.filename"}, R{"zel.", "a member name after zel."},
        R{"zel.open.(1)", "a sub-property name"}, R{"zel = 3", "'.' after zel"}, R{"x = zel", "'.' after zel"},
        R{"x = print", "print is a keyword"}, R{"Exit = 3", "expected a value"}, R{"A$ = 3", "A$ takes a text"},
        R{"x = \"a\"", "not a text"}, R{"x = 1 + \"a\"", "a text cannot take part in arithmetic"},
        R{"x = B$ * 2", "a text cannot take part in arithmetic"}, R{"x = -A$", "a text cannot take part in arithmetic"},
        R{"exit \"a\"", "not a text"},
        R{"help = 1", "expected end of line"}, R{"show d \"x\"", "not a text"}, R{"onerror maybe", "continue or stop"},
        R{"onerror", "continue or stop"}, R{"dataset", "a dataset name"}, R{"dataset = 3", "a dataset name"},
        R{"dataset d = ", "expected a value"}, R{"dataset d = \"a\"", "numbers, not texts"},
        R{"dataset d text = 1", "end of line"}, R{"worksheet w \"3\"", "not a text"}, R{"save d", "the word to"},
        R{"save d into x", "the word to"}, R{"save d to", "a file name after to"},
        R{"load w to x.csv", "the word from"}, R{"load w from x.csv crlf", "sep or noheader"},
        R{"save w to x.csv sep \";;\"", "one character in quotes after sep"},
        R{"save w to x.csv crlf crlf", "sep or crlf"}, R{"list a b", "end of line"}, R{"errors now", "end of line"},
        R{"x = y(1)", "end of line"}, R{"x = zel.open(a)(b)", "end of line"}, R{"x = (1", "expected ')'"},
        R{"x = " + Repeat("(", kMaxNesting + 1) + "1" + Repeat(")", kMaxNesting + 1), "nested too deeply"},
        R{"x = " + std::string(100000, '-') + "1", "nested too deeply"},
        R{"x = " + Repeat("not ", 1000) + "1", "nested too deeply"},
        R{"x = a < b < c", "comparisons do not chain ('<' at column 11)"},
        R{"x = a == \"t\"", "a text cannot be compared"}, R{"x = 1 and A$", "a text cannot take part in and"},
        R{"x = \"a\" or 1", "a text cannot take part in or"}, R{"x = not \"a\"", "a text cannot take part in not"},
        R{"x = a ! b", "unexpected '!'"}, R{"x = a =< b", "expected end of line but found \"=\""},
        R{"x = and", "and is a keyword"}, R{"next = 1", "expected end of line"}, R{"while = 1", "expected a value"},
        R{"for", "the loop's variable after for"}, R{"for 1 = 2 to 3", "the loop's variable after for"},
        R{"for end = 1 to 2", "end is a keyword"}, R{"for i 1 to 2", "'=' after the loop's variable"},
        R{"for i = 1, 2", "the word to"}, R{"for i = 1 to", "expected a value"},
        R{"for i = 1 to 2 step", "expected a value"}, R{"for i = 1 to 2 by 1", "end of line"},
        R{"for i = \"a\" to 2", "the loop's first value, not a text"}, R{"next 3", "end of line"},
        R{"next if", "if is a keyword"}, R{"while", "expected a value"}, R{"while A$", "a condition, not a text"},
        R{"if x = 1", "'=' at column 6 sets a variable; compare with =="}, R{"if x then", "end of line"},
        R{"else x", "end of line"}, R{"else if", "expected a value"}, R{"end while", "end of line"},
        R{"break 2", "end of line"}, R{"worksheet w text 1", "the number of columns comes before text"},
        R{"worksheet w 3 text", "the text columns (or all)"}, R{"worksheet w 3 text \"1\"", "numbers, not texts"},
        R{"worksheet w 3 text all 2", "end of line"}, R{"print 1,,", "expected a value"},
        R{"dataset d = 1,", "expected a value"},
        // Blocks: the line named is where the fault shows.
        R{Repeat("while 0\n", kMaxBlockDepth + 1), "blocks nested too deeply (more than 64 levels)", 65},
        R{"x = 1\nend\n", "end without while or if", 2},
        R{"for i = 1 to 2\nend\n", "end without while or if: the for of line 1 is still open (it ends with next)", 2},
        R{"next\n", "next without for"}, R{"else\n", "else without if"}, R{"break\n", "break outside a loop"},
        R{"for i = 1 to 2\nwhile 1\nnext\n",
          "next without for: the while of line 2 is still open (it ends with end)", 3},
        R{"for i = 1 to 2\nnext j\n", "next j does not match the for of i on line 1", 2},
        R{"while 1\nelse if 1\n", "else if without if: the while of line 1 is still open (it ends with end)", 2},
        R{"if 1\nelse\nelse\n", "else after the else of the if of line 1", 3},
        R{"if 1\nelse\nelse if 2\n", "else if after the else of the if of line 1", 3},
        R{"if 1\ncontinue\nend\n", "continue outside a loop", 2}, R{"for i = 1 to 2\n\n", "for without next"},
        R{"while 1\nif 1\nend\n", "while without end"}, R{"while 1\nif 1\n", "if without end", 2},
        R{"while 1\nx = (\nend\n", "expected a value but found end of line at column 6", 2}));

// A call that fails with ERROR 0 is explained by the newest entry of the
// error list, which the user does not see printed.
TEST_F(SessionRun, AFailureWithoutAnErrorIsExplainedByTheErrorList) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"MoOpen\t900", "MoClose\t1000"}, "more arguments than REFUSE takes (error 900, MoOpen)"},
        {{"\t777"}, "writing a worksheet column failed (error 777)"},
        {{"MoX\t4242"}, "ZEL's error list holds error 4242, MoX"},
        {{"\t0", "MoOpen\t900"}, "ERROR 0, SYSERR 0"}, {{}, "ERROR 0, SYSERR 0"},
        {{"MoOpen 900"}, "ERROR 0, SYSERR 0"}, {{"MoOpen\t9x"}, "ERROR 0, SYSERR 0"}};
    for (const auto& [list, reason] : cases) {
        fake.errorList = list;
        err.str("");
        EXPECT_EQ(session.RunLine("zel.refuse(a, b)", "s.zel:1"), LineStatus::Failed);
        EXPECT_EQ(err.str(), "zel: s.zel:1: zel.refuse(a, b) failed: " + reason + "\n");
    }
    EXPECT_EQ(out.str(), "");
}

// The host reads the session's variables only while the session lasts.
TEST(SessionHooks, LastAsLongAsTheSession) {
    FakeModule fake;
    tavrel::Host host{&FakeModule::Entry};
    {
        std::ostringstream sink;
        const Session inner(host, sink, sink);
        EXPECT_TRUE(host.numberOfName && host.onPrint);
    }
    EXPECT_FALSE(host.numberOfName);
    EXPECT_FALSE(host.onPrint);
}

// The module's lines reach a terminal with line feeds for its carriage returns.
TEST(TerminalLine, TurnsCarriageReturnsIntoLineFeeds) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\r\nb", "a\nb"}, {"a\rb", "a\nb"}, {"ab\r\n", "ab\n"}, {"\r\r\n", "\n\n"}, {"", ""}, {"a\tb", "a\tb"}};
    for (const auto& [line, shown] : cases) EXPECT_EQ(TerminalLine(line), shown);
}

// Random lines, of bytes and of pieces of the language, run without a
// crash; each ends in one of the statuses, a line that does not parse with
// a reason.
TEST_F(SessionRun, GarbageLinesNeverCrash) {
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {
        "zel.", "echo(", "num(", "fail(", "open", "nbytes", "filename", ")", "\"", "A$", "x", " = ", "+", "-", "*",
        "/", ",", "1", "0", "print ", "dataset d", "show d", "exit", "onerror continue", ".", "(", "#", "list ",
        "errors", "worksheet w ", "save d to /no/such/d.csv", "1e308", "\\", "2.5e", "9999999999", "\t", "_"};
    int statuses[5] = {};
    for (int i = 0; i < 10000; ++i) {
        std::string line;
        const int length = static_cast<int>(random() % 12);
        for (int k = 0; k < length; ++k) {
            line += i % 2 == 0 ? pieces[random() % pieces.size()] : std::string(1, static_cast<char>(random()));
        }
        const LineStatus status = session.RunLine(line, "g");
        ++statuses[static_cast<int>(status)];
        if (status == LineStatus::ParseFailed) {
            EXPECT_FALSE(ParseLine(line).error.empty()) << ::testing::PrintToString(line);
        }
    }
    EXPECT_GT(statuses[static_cast<int>(LineStatus::Done)], 0);
    EXPECT_GT(statuses[static_cast<int>(LineStatus::ParseFailed)], 0);
}

// The module to load: $ZEL_MODULE, else the installed place beside zel,
// the build's, or ../lib beside zel.
TEST(FindModule, TakesTheFirstPlaceThatHoldsIt) {
    namespace fs = std::filesystem;
    zeltest::ScratchDir scratch;
    auto make = [](const fs::path& place) {
        const fs::path path = place.lexically_normal();
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << "x";
        return path.string();
    };
    const std::string build = make(scratch.path() / "build.so");
    const std::string beside = make(scratch.path() / "lib" / kModuleFileName);
    const std::string installed = make(scratch.path() / "inst" / "bin" / kInstalledModule);
    const std::string exe = scratch.PathOf("bin/zel");
    const std::string missing = scratch.PathOf("none.so");
    const std::vector<std::vector<std::string>> cases = {  // env, build, exe, found
        {"/given/by/env.so", build, exe, "/given/by/env.so"}, {"", build, scratch.PathOf("inst/bin/zel"), installed},
        {"", build, exe, build}, {"", missing, exe, beside}, {"", "", exe, beside},
        {"", missing, scratch.PathOf("a/b/zel"), ""}, {"", "", "", ""}};
    for (const auto& c : cases) {
        std::string tried;
        EXPECT_EQ(FindModule(c[0], c[1], c[2], tried), c[3]) << c[1] << " " << c[2];
        EXPECT_EQ(tried.empty(), !c[3].empty());
        if (c[3].empty() && !c[1].empty()) {
            EXPECT_NE(tried.find(c[1]), std::string::npos) << tried;
        }
    }
}

struct CommandCase {
    std::vector<std::string> args;
    int status;
    std::string out;  // a part of standard output
    std::string err;  // a part of standard error
};

class CommandLine : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandLine, AnswersBeforeLoadingTheModule) {
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(Main(GetParam().args, in, out, err, false), GetParam().status);
    EXPECT_NE(out.str().find(GetParam().out), std::string::npos) << out.str();
    EXPECT_NE(err.str().find(GetParam().err), std::string::npos) << err.str();
}

// --help shows the usage with every statement.
INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    ::testing::Values(CommandCase{{"--help"}, 0, StatementHelp(), ""},
                      CommandCase{{"-h"}, 0, "usage: zel [SCRIPT.zel]", ""},
                      CommandCase{{"--version"}, 0, std::string("zel ") + ZEL_VERSION + "\n", ""},
                      CommandCase{{"a.zel", "b.zel"}, 2, "", "too many arguments"},
                      CommandCase{{"--frob"}, 2, "", "unknown option --frob"},
                      CommandCase{{"/no/such/script.zel"}, 2, "", "cannot read /no/such/script.zel: No such file"},
                      CommandCase{{"/"}, 2, "", "cannot read /: it is a folder"}));

}  // namespace
}  // namespace zelcli::testing
