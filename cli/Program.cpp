#include "Program.h"

#include <utility>

#include "Parser.h"

namespace zelcli {

namespace {

const char* BlockWord(StatementKind kind) {
    switch (kind) {
        case StatementKind::ElseIf: return "else if";
        case StatementKind::Else: return "else";
        case StatementKind::Next: return "next";
        case StatementKind::End: return "end";
        case StatementKind::Break: return "break";
        default: return "continue";
    }
}

}  // namespace

bool ProgramBuilder::Refuse(long line, std::string reason) {
    error_ = {line, std::move(reason)};
    program_ = Program{};
    open_.clear();
    return false;
}

std::size_t ProgramBuilder::Emit(StepKind kind, long line, Statement statement) {
    Step step;
    step.kind = kind;
    step.line = line;
    step.statement = program_.statements.size();
    program_.statements.push_back(std::move(statement));
    program_.steps.push_back(step);
    return program_.steps.size() - 1;
}

ProgramBuilder::Block* ProgramBuilder::InnermostLoop() {
    for (auto block = open_.rbegin(); block != open_.rend(); ++block) {
        if (block->kind != BlockKind::If) return &*block;
    }
    return nullptr;
}

// The block ends before step end: what leaves it goes there.
void ProgramBuilder::Close(Block& block, std::size_t end) {
    std::vector<Step>& steps = program_.steps;
    if (block.kind != BlockKind::If) {
        steps[block.start].target = end;
        steps[block.start].skip = end;
    } else {
        for (std::size_t test : block.tests) steps[test].skip = end;
        if (!block.hasElse) steps[block.pendingTest].target = end;
    }
    for (std::size_t exit : block.exits) steps[exit].target = end;
}

bool ProgramBuilder::Add(std::string_view text, long line) {
    Parsed parsed = ParseLine(text);
    if (!parsed.ok()) return Refuse(line, std::move(parsed.error));
    Statement& statement = parsed.statement;
    const StatementKind kind = statement.kind;
    std::vector<Step>& steps = program_.steps;

    // What a block word says when the innermost block is not its own.
    auto misplaced = [&](const char* wanted) {
        std::string reason = std::string(BlockWord(kind)) + " without " + wanted;
        if (!open_.empty()) {
            const Block& inner = open_.back();
            reason += inner.kind == BlockKind::For ? ": the for of line " + std::to_string(inner.line) +
                                                         " is still open (it ends with next)"
                                                   : std::string(": the ") +
                                                         (inner.kind == BlockKind::While ? "while" : "if") +
                                                         " of line " + std::to_string(inner.line) +
                                                         " is still open (it ends with end)";
        }
        return Refuse(line, reason);
    };

    switch (kind) {
        case StatementKind::Empty: return true;
        case StatementKind::For:
        case StatementKind::While:
        case StatementKind::If: {
            if (open_.size() >= static_cast<std::size_t>(kMaxBlockDepth)) {
                return Refuse(line, "blocks nested too deeply (more than " + std::to_string(kMaxBlockDepth) +
                                        " levels)");
            }
            Block block;
            block.line = line;
            if (kind == StatementKind::For) {
                block.kind = BlockKind::For;
                block.start = Emit(StepKind::ForEnter, line, std::move(statement));
                steps[block.start].loop = program_.loops++;
            } else {
                block.kind = kind == StatementKind::While ? BlockKind::While : BlockKind::If;
                block.start = Emit(StepKind::Test, line, std::move(statement));
                block.pendingTest = block.start;
                block.tests.push_back(block.start);
            }
            open_.push_back(std::move(block));
            return true;
        }
        case StatementKind::ElseIf:
        case StatementKind::Else: {
            if (open_.empty() || open_.back().kind != BlockKind::If) return misplaced("if");
            Block& block = open_.back();
            if (block.hasElse) {
                return Refuse(line, std::string(BlockWord(kind)) + " after the else of the if of line " +
                                        std::to_string(block.line));
            }
            // The branch before ends past the whole if.
            block.exits.push_back(Emit(StepKind::Jump, line, Statement{}));
            steps[block.pendingTest].target = steps.size();
            if (kind == StatementKind::ElseIf) {
                block.pendingTest = Emit(StepKind::Test, line, std::move(statement));
                block.tests.push_back(block.pendingTest);
            } else {
                block.hasElse = true;
            }
            return true;
        }
        case StatementKind::Next: {
            if (open_.empty() || open_.back().kind != BlockKind::For) return misplaced("for");
            Block& block = open_.back();
            const std::string& variable = program_.statements[steps[block.start].statement].name;
            if (!statement.name.empty() && statement.name != variable) {
                return Refuse(line, "next " + statement.name + " does not match the for of " + variable +
                                        " on line " + std::to_string(block.line));
            }
            const std::size_t next = Emit(StepKind::ForNext, line, std::move(statement));
            steps[next].target = block.start + 1;
            steps[next].loop = steps[block.start].loop;
            for (std::size_t jump : block.continues) steps[jump].target = next;
            Close(block, steps.size());
            open_.pop_back();
            return true;
        }
        case StatementKind::End: {
            if (open_.empty() || open_.back().kind == BlockKind::For) return misplaced("while or if");
            Block& block = open_.back();
            if (block.kind == BlockKind::While) {
                const std::size_t back = Emit(StepKind::Jump, line, Statement{});
                steps[back].target = block.start;
            }
            Close(block, steps.size());
            open_.pop_back();
            return true;
        }
        case StatementKind::Break:
        case StatementKind::Continue: {
            Block* loop = InnermostLoop();
            if (loop == nullptr) return Refuse(line, std::string(BlockWord(kind)) + " outside a loop");
            const std::size_t jump = Emit(StepKind::Jump, line, Statement{});
            if (kind == StatementKind::Break) {
                loop->exits.push_back(jump);
            } else if (loop->kind == BlockKind::For) {
                loop->continues.push_back(jump);
            } else {
                steps[jump].target = loop->start;
            }
            return true;
        }
        default: Emit(StepKind::Run, line, std::move(statement)); return true;
    }
}

bool ProgramBuilder::Finish() {
    if (open_.empty()) return true;
    const Block& block = open_.back();
    const char* what = block.kind == BlockKind::For     ? "for without next"
                       : block.kind == BlockKind::While ? "while without end"
                                                        : "if without end";
    return Refuse(block.line, what);
}

Program ProgramBuilder::Take() {
    Program program = std::move(program_);
    program_ = Program{};
    open_.clear();
    return program;
}

}  // namespace zelcli
