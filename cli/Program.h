// A script parsed whole: its statements laid out as a list of steps with
// the jumps of its loops and branches resolved, so that a loop runs its
// parsed lines again and again without parsing them anew.
#ifndef ZEL_CLI_PROGRAM_H
#define ZEL_CLI_PROGRAM_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "Syntax.h"

namespace zelcli {

// How deeply loops and ifs may nest.
inline constexpr int kMaxBlockDepth = 64;

enum class StepKind {
    Run,      // a statement that is not control flow
    Test,     // a while's or an if's condition: on 0 go to target
    Jump,     // go to target
    ForEnter, // a for's bounds, taken once: no round at all goes to target
    ForNext   // the step of a for: another round goes to target
};

struct Step {
    StepKind kind = StepKind::Run;
    std::size_t statement = 0;  // index into Program::statements
    long line = 0;              // the line of the statement, for messages
    std::size_t target = 0;
    // Where a Test or ForEnter goes when its statement fails and the script
    // goes on: past its whole block.
    std::size_t skip = 0;
    std::size_t loop = 0;  // ForEnter, ForNext: the slot of the loop's bounds
};

struct Program {
    std::vector<Statement> statements;
    std::vector<Step> steps;
    std::size_t loops = 0;  // the number of for loops
};

// A line that does not parse, or that does not fit the blocks around it.
struct ProgramError {
    long line = 0;
    std::string reason;
};

// Builds a program line by line. At the prompt, complete() tells when the
// lines so far form whole blocks and can run.
class ProgramBuilder {
public:
    // Parses and adds one line; false (and error() set) when it does not
    // parse or does not fit: an end without a while or if, a break outside
    // a loop, ...
    bool Add(std::string_view text, long line);
    // Ends the input: false (and error() set) when a block is still open;
    // the error names the line that opened it.
    bool Finish();
    // No block is open.
    bool complete() const { return open_.empty(); }
    const ProgramError& error() const { return error_; }
    // The program; the builder starts afresh.
    Program Take();

private:
    enum class BlockKind { For, While, If };
    struct Block {
        BlockKind kind = BlockKind::For;
        long line = 0;
        std::size_t start = 0;        // ForEnter, or the first Test
        std::size_t pendingTest = 0;  // an if's latest Test, patched by the next branch
        std::vector<std::size_t> tests;  // an if's Tests
        bool hasElse = false;
        std::vector<std::size_t> exits;      // Jumps to past the block: breaks, an if's branch ends
        std::vector<std::size_t> continues;  // Jumps to a for's step
    };

    bool Refuse(long line, std::string reason);
    std::size_t Emit(StepKind kind, long line, Statement statement);
    Block* InnermostLoop();
    void Close(Block& block, std::size_t end);

    Program program_;
    std::vector<Block> open_;
    ProgramError error_;
};

}  // namespace zelcli

#endif  // ZEL_CLI_PROGRAM_H
