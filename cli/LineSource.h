// Where the runner's input lines come from: a script, a pipe, or the
// prompt of a terminal. A line editor plugs in as one more kind.
#ifndef ZEL_CLI_LINESOURCE_H
#define ZEL_CLI_LINESOURCE_H

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace zelcli {

class LineSource {
public:
    virtual ~LineSource() = default;
    // The next line, without its line end; nothing at the end of the
    // input. A source that talks to a person shows prompt first; others
    // ignore it.
    virtual std::optional<std::string> ReadLine(const std::string& prompt) = 0;
};

// Lines of a stream; a CR before the LF is dropped. With a prompt stream,
// the prompt goes there before each line and a line end after the last.
class StreamLineSource final : public LineSource {
public:
    explicit StreamLineSource(std::istream& in, std::ostream* prompt = nullptr) : in_(in), prompt_(prompt) {}

    std::optional<std::string> ReadLine(const std::string& prompt) override;

private:
    std::istream& in_;
    std::ostream* prompt_;
};

}  // namespace zelcli

#endif  // ZEL_CLI_LINESOURCE_H
