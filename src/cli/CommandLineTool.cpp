#include "cli/CommandLineTool.h"

#include "cli/CommandLineParser.h"
#include "cli/DevicesCommand.h"
#include "cli/InfoCommand.h"
#include "cli/MemoryShortage.h"
#include "cli/SequenceRunner.h"
#include "cli/UsageException.h"
#include "foundation/AddressSpace.h"
#include "foundation/Exception.h"
#include "foundation/Version.h"

#include <new>
#include <sstream>
#include <system_error>

namespace {

constexpr int failedStatus = 1;
constexpr int usageStatus = 2;

std::string indentedDetail(const Exception& error) {
    const std::string detailed = error.detailedDescription();
    std::istringstream lines(detailed.substr(std::min(detailed.size(), detailed.find('\n') + 1)));
    std::ostringstream text;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) {
            text << "\n    " << line;
        }
    }
    return text.str();
}

// The cap on the address space as an indented detail line; "" without one.
std::string limitDetail() {
    const std::string limit = AddressSpace::limitLine();
    return limit.empty() ? "" : "\n    " + limit;
}

} // namespace

CommandLineTool::CommandLineTool(std::ostream& out, std::ostream& errors, bool errorsOnTerminal)
    : out_(out), errors_(errors), errorsOnTerminal_(errorsOnTerminal) {}

int CommandLineTool::run(int argc, const char* const* argv) {
    try {
        const CommandLineOptions options = CommandLineParser::parse(argc, argv);
        switch (options.command) {
        case Command::Help:
            out_ << CommandLineParser::usage();
            return 0;
        case Command::Version:
            out_ << "velor-lens-correct " << Version::text() << "\n";
            return 0;
        case Command::Info:
            InfoCommand::run(options, out_);
            return 0;
        case Command::Devices:
            DevicesCommand::run(out_);
            return 0;
        default:
            return SequenceRunner(options, errors_, errorsOnTerminal_).run();
        }
    } catch (const UsageException& error) {
        errors_ << "velor-lens-correct: " << error.what() << indentedDetail(error) << "\n";
        return usageStatus;
    } catch (const Exception& error) {
        errors_ << "velor-lens-correct: " << error.what() << indentedDetail(error) << "\n";
    } catch (const std::bad_alloc&) {
        errors_ << "velor-lens-correct: There is not enough memory." << limitDetail() << "\n";
    } catch (const std::system_error& error) {
        if (isMemoryShortage(error)) {
            errors_ << "velor-lens-correct: There is not enough memory.\n    System Error: \""
                    << error.what() << "\"" << limitDetail() << "\n";
        } else {
            errors_ << "velor-lens-correct: A system error stopped the tool.\n    System Error: \""
                    << error.what() << "\"\n";
        }
    } catch (const std::exception& error) {
        errors_ << "velor-lens-correct: A system error stopped the tool.\n    System Error: \""
                << error.what() << "\"\n";
    }
    return failedStatus;
}
