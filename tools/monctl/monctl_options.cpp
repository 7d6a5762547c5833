// Command-line parsing and the help text of monctl.
#include "tools/monctl/monctl_options.h"

#include <optional>

#include "common/line_file.h"

namespace gw {
namespace {

struct CommandWord {
  std::string_view word;
  MonctlCommand command;
  size_t min_args;
  size_t max_args;  // 0 = no limit
};

constexpr CommandWord kCommandWords[] = {
    {"status", MonctlCommand::kStatus, 0, 0},     {"get", MonctlCommand::kGet, 1, 0},
    {"set", MonctlCommand::kSet, 1, 0},           {"log", MonctlCommand::kLog, 1, 1},
    {"schedule", MonctlCommand::kSchedule, 0, 0}, {"selftest", MonctlCommand::kSelfTest, 1, 1},
};

bool parseBounded(std::string_view text, long long low, long long high, long long* out) {
  long long value = 0;
  if (!parseWholeInt(text, &value) || value < low || value > high) return false;
  *out = value;
  return true;
}

struct LogName {
  std::string_view name;
  LogKind kind;
};

constexpr LogName kLogNames[] = {
    {"events", LOG_EVENT},
    {"saved", LOG_SAVED},
    {"status", LOG_STATUS},
};

// What the options have set so far.
struct Parsing {
  MonctlOptions options;
  bool port_given = false;
  bool count_given = false;
};

bool setHost(const std::string& value, Parsing* p, std::string*) {
  p->options.host = value;
  return true;
}

bool setUser(const std::string& value, Parsing* p, std::string*) {
  p->options.user = value;
  return true;
}

bool setPassword(const std::string& value, Parsing* p, std::string*) {
  p->options.password = value;
  return true;
}

bool setPort(const std::string& value, Parsing* p, std::string* error) {
  if (!parsePortNumber(value, &p->options.port)) {
    *error = "--port wants a number from 1 to 65535, not \"" + value + "\"";
    return false;
  }
  p->port_given = true;
  return true;
}

bool setTimeout(const std::string& value, Parsing* p, std::string* error) {
  long long seconds = 0;
  if (!parseBounded(value, 1, 3600, &seconds)) {
    *error = "--timeout wants whole seconds from 1 to 3600, not \"" + value + "\"";
    return false;
  }
  p->options.timeout_ms = static_cast<int>(seconds) * 1000;
  return true;
}

bool setCount(const std::string& value, Parsing* p, std::string* error) {
  long long count = 0;
  if (!parseBounded(value, 1, 1000000, &count)) {
    *error = "--count wants a number from 1 to 1000000, not \"" + value + "\"";
    return false;
  }
  p->options.log_count = static_cast<int>(count);
  p->count_given = true;
  return true;
}

// The options that take a value ("--help" takes none and is handled apart).
struct OptionRow {
  std::string_view name;
  bool (*apply)(const std::string& value, Parsing* p, std::string* error);
};

constexpr OptionRow kOptions[] = {
    {"--host", &setHost},         {"--port", &setPort},       {"--user", &setUser},
    {"--password", &setPassword}, {"--timeout", &setTimeout}, {"--count", &setCount},
};

const OptionRow* findOption(std::string_view name) {
  for (const OptionRow& row : kOptions) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

}  // namespace

bool logKindFromName(std::string_view name, int* kind) {
  for (const LogName& row : kLogNames) {
    if (row.name == name) {
      *kind = row.kind;
      return true;
    }
  }
  return false;
}

ParseOutcome parseMonctlOptions(const std::vector<std::string>& argv, const char* env_port,
                                MonctlOptions* options, std::string* error) {
  Parsing parsing;
  MonctlOptions& parsed = parsing.options;
  std::vector<std::string> positional;
  bool options_ended = false;
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& arg = argv[i];
    if (options_ended || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> value;
    size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    if (name == "--help") return ParseOutcome::kHelp;
    const OptionRow* option = findOption(name);
    if (option == nullptr) {
      *error = "unknown option " + name;
      return ParseOutcome::kUsageError;
    }
    if (!value) {
      if (i + 1 >= argv.size()) {
        *error = name + " needs a value";
        return ParseOutcome::kUsageError;
      }
      value = argv[++i];
    }
    if (!option->apply(*value, &parsing, error)) return ParseOutcome::kUsageError;
  }
  // The login texts travel inside one request line each.
  for (const std::string* text : {&parsed.user, &parsed.password, &parsed.host}) {
    if (text->find_first_of("\r\n") != std::string::npos) {
      *error = "--host, --user and --password may not hold line breaks";
      return ParseOutcome::kUsageError;
    }
  }
  if (!parsing.port_given) parsed.port = clientPortFromText(env_port);

  if (positional.empty()) {
    *error = "no command given";
    return ParseOutcome::kUsageError;
  }
  const CommandWord* found = nullptr;
  for (const CommandWord& row : kCommandWords) {
    if (row.word == positional[0]) found = &row;
  }
  if (found == nullptr) {
    *error = "unknown command \"" + positional[0] + "\"";
    return ParseOutcome::kUsageError;
  }
  parsed.command = found->command;
  parsed.args.assign(positional.begin() + 1, positional.end());
  size_t n = parsed.args.size();
  if (n < found->min_args || (found->max_args != 0 && n > found->max_args) ||
      (found->min_args == 0 && found->max_args == 0 && n != 0)) {
    *error = "wrong number of arguments for \"" + positional[0] + "\"";
    return ParseOutcome::kUsageError;
  }
  if (parsing.count_given && parsed.command != MonctlCommand::kLog) {
    *error = "--count belongs to the log command";
    return ParseOutcome::kUsageError;
  }
  int log = 0;
  if (parsed.command == MonctlCommand::kLog && !logKindFromName(parsed.args[0], &log)) {
    *error = "log wants events, saved or status, not \"" + parsed.args[0] + "\"";
    return ParseOutcome::kUsageError;
  }
  for (const std::string& arg : parsed.args) {
    if (arg.find_first_of("\r\n") != std::string::npos) {
      *error = "arguments may not hold line breaks";
      return ParseOutcome::kUsageError;
    }
    size_t equals = arg.find('=');
    if (parsed.command == MonctlCommand::kGet && (arg.empty() || equals != std::string::npos)) {
      *error = "get wants keys without '=' (to change one, use set): \"" + arg + "\"";
      return ParseOutcome::kUsageError;
    }
    if (parsed.command == MonctlCommand::kSet && (equals == std::string::npos || equals == 0)) {
      *error = "set wants KEY=VALUE, not \"" + arg + "\"";
      return ParseOutcome::kUsageError;
    }
  }
  if (parsed.command == MonctlCommand::kSelfTest && parsed.args[0] != "cancel") {
    long long seconds = 0;
    if (!parseBounded(parsed.args[0], 1, 2147483647, &seconds)) {
      *error = "selftest wants the test length in whole seconds (or \"cancel\"), not \"" +
               parsed.args[0] + "\"";
      return ParseOutcome::kUsageError;
    }
  }
  *options = std::move(parsing.options);
  return ParseOutcome::kRun;
}

std::string monctlUsage() {
  return "usage: monctl [options] COMMAND [ARGUMENTS]\n"
         "\n"
         "Talks to the UPS monitoring service over TCP.\n"
         "\n"
         "Commands:\n"
         "  status                   the 14 UPS status values, with units\n"
         "  get KEY...               read service settings (service.polling rate) or event\n"
         "                           policy keys (powerfail.shutdown.happen.max count)\n"
         "  set KEY=VALUE...         change them (manager level); each key is read back\n"
         "  log events|saved|status  the newest log records (--count N, default 20)\n"
         "  schedule                 the scheduled shutdowns and self-tests\n"
         "  selftest SECONDS|cancel  start a UPS battery test of that length, or stop one\n"
         "                           (manager level)\n"
         "Keys hold blanks, so quote them: monctl get \"service.polling rate\"\n"
         "\n"
         "Options:\n"
         "  --host ADDRESS     the service's IPv4 address or localhost (default 127.0.0.1)\n"
         "  --port N           its TCP port (default $GRIDWATCH_PORT if it is a port number,\n"
         "                     else 8855)\n"
         "  --user NAME        account to log in with (default manager)\n"
         "  --password TEXT    its password (default: the management client's)\n"
         "  --timeout SECONDS  wait at most this long to connect and for each reply "
         "(default 10)\n"
         "  --count N          how many log records to show\n"
         "  --help             this text\n"
         "\n"
         "Exit status:\n"
         "  0   success\n"
         "  1-20  the UPS or its driver refused (8: no UPS answering)\n"
         "  21  the service cannot be reached, or the connection failed or timed out\n"
         "  22  the service answered with an error without a code\n"
         "  30  a key the service does not know, a value it did not take, or an empty value\n"
         "  31  a request the service or monctl could not read\n"
         "  32  the service refuses this computer's address\n"
         "  33  access denied: wrong user or password, or the account's level is too low\n"
         "  64  the command line is wrong\n";
}

}  // namespace gw
