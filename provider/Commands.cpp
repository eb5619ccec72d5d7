#include "provider/Commands.h"

#include "provider/Provider.h"
#include "provider/Serve.h"
#include "provider/Store.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <ctime>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>

namespace vek::provider {
namespace {

constexpr const char* kUsage = R"(usage: tarvo-provider [--data DIR] COMMAND
  serve [--http A:P] [--https A:P] [--https-host NAME] [--echo-http A:P,A:P]
        [--echo-dns A:P,A:P] [--threads N] [--quiet]
                                              run the servers until SIGINT/SIGTERM
  demo [serve options]                        create the demo account, print it, serve
  account add EMAIL PASSWORD|- [--host NAME]... [--group NAME=HOST,HOST...]...
  account set EMAIL [--interval MS] [--enhanced on|off] [--error TEXT] [--no-error]
  host add EMAIL HOST
  group add EMAIL GROUP HOST...
  client issue EMAIL | client disable ID | client enable ID
  ban EMAIL | unban EMAIL
  version bar VERSION | version unbar VERSION
  notice post TITLE BODY [--link URL] | alert post TITLE BODY [--link URL]
  echo set ADDRESS | echo clear
  hosts list [EMAIL]
  ca-path                                     print the path of the CA certificate (PEM)
)";

class UsageError : public std::runtime_error {
public:
    UsageError() : std::runtime_error("usage") {}
};

// What one command accepts after its name: how many plain words, and which options.
struct Grammar {
    std::size_t minWords = 0;
    std::size_t maxWords = 0;
    std::vector<std::string> options;         // "--name value", at most once each
    std::vector<std::string> repeatedOptions; // "--name value", any number of times
    std::vector<std::string> flags;           // "--name" alone
};

bool Among(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The words of one command with its "--name value" options taken out, as its grammar allows.
struct Words {
    std::vector<std::string> positional;
    std::multimap<std::string, std::string> options;

    const std::string& At(std::size_t i) const { return positional.at(i); }
    std::optional<std::string> Option(const std::string& name) const {
        const auto found = options.find(name);
        if (found == options.end())
            return std::nullopt;
        return found->second;
    }
    std::vector<std::string> All(const std::string& name) const {
        std::vector<std::string> values;
        for (auto [it, end] = options.equal_range(name); it != end; ++it) {
            values.push_back(it->second);
        }
        return values;
    }
};

Words Split(const std::vector<std::string>& args, std::size_t from, const Grammar& grammar) {
    Words words;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            words.positional.push_back(arg);
        } else if (Among(grammar.flags, arg) && words.options.count(arg) == 0) {
            words.options.emplace(arg, "");
        } else if (((Among(grammar.options, arg) && words.options.count(arg) == 0) ||
                    Among(grammar.repeatedOptions, arg)) &&
                   i + 1 < args.size()) {
            words.options.emplace(arg, args[++i]);
        } else {
            throw UsageError();
        }
    }
    if (words.positional.size() < grammar.minWords || words.positional.size() > grammar.maxWords)
        throw UsageError();
    return words;
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find(separator, start)) != std::string::npos;
         start = pos + 1) {
        items.push_back(text.substr(start, pos - start));
    }
    items.push_back(text.substr(start));
    return items;
}

std::string Password(const std::string& word, std::istream& in) {
    if (word != "-")
        return word;
    std::string line;
    std::getline(in, line);
    return line;
}

void AddAccount(Store& store, const Words& w, std::istream& in, std::ostream& out) {
    const std::string& email = w.At(0);
    std::vector<GroupMembers> groups;
    for (const auto& group : w.All("--group")) {
        const auto equals = group.find('=');
        if (equals == std::string::npos)
            throw UsageError();
        groups.push_back({group.substr(0, equals), SplitList(group.substr(equals + 1), ',')});
    }
    store.AddAccount(email, Password(w.At(1), in), w.All("--host"), groups);
    out << "account " << email << " added\n";
}

bool OnOff(const std::string& word) {
    if (word == "on")
        return true;
    if (word == "off")
        return false;
    throw UsageError();
}

// A whole decimal number, nothing before or after it.
std::int64_t WholeNumber(const std::string& word) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size())
        throw UsageError();
    return value;
}

// Every value is read before the first is stored, so a bad one changes nothing.
void SetAccount(Store& store, const Words& w, std::ostream& out) {
    const std::string& email = w.At(0);
    std::vector<std::function<void()>> changes;
    if (const auto interval = w.Option("--interval")) {
        changes.push_back([&store, &email, milliseconds = WholeNumber(*interval)] {
            store.SetRemoteInterval(email, milliseconds);
        });
    }
    if (const auto enhanced = w.Option("--enhanced")) {
        changes.push_back(
            [&store, &email, on = OnOff(*enhanced)] { store.SetEnhanced(email, on); });
    }
    const auto error = w.Option("--error");
    const bool clearError = w.Option("--no-error").has_value();
    if (error && clearError)
        throw UsageError();
    if (error || clearError)
        changes.push_back([&store, &email, error] { store.SetError(email, error); });
    for (const auto& change : changes)
        change();
    out << "account " << email << " set\n";
}

void PrintClient(const ClientCredentials& client, std::ostream& out) {
    out << "client id:  " << client.id << "\nclient key: " << client.key << "\n";
}

void ListHosts(Store& store, const Words& w, std::ostream& out) {
    const std::optional<std::string> email =
        w.positional.empty() ? std::nullopt : std::optional<std::string>(w.positional[0]);
    for (const auto& host : store.ListHosts(email)) {
        std::string changed = "never";
        if (host.changedAt > 0) {
            const std::time_t at = static_cast<std::time_t>(host.changedAt);
            char text[32];
            std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", std::gmtime(&at));
            changed = text;
        }
        out << host.name << "  " << (host.address.empty() ? "-" : host.address) << "  " << changed
            << "  " << host.email << "\n";
    }
}

using Action = std::function<void(Store&, const Words&, std::istream&, std::ostream&)>;

struct Command {
    Grammar grammar;
    Action action;
};

const Grammar kOneWord{1, 1, {}, {}, {}};
const Grammar kPost{2, 2, {"--link"}, {}, {}};
const Grammar kServe{
    0,
    0,
    {"--http", "--https", "--https-host", "--echo-http", "--echo-dns", "--threads"},
    {},
    {"--quiet"}};

// "word1 word2" (or "word1" alone), what follows it and what it does.
const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> kCommands = {
        {"account add",
         {{2, 2, {}, {"--host", "--group"}, {}},
          [](Store& s, const Words& w, std::istream& in, std::ostream& out) {
              AddAccount(s, w, in, out);
          }}},
        {"account set",
         {{1, 1, {"--interval", "--enhanced", "--error"}, {}, {"--no-error"}},
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              SetAccount(s, w, out);
          }}},
        {"host add",
         {{2, 2, {}, {}, {}},
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              s.AddHost(w.At(0), w.At(1));
              out << "host " << w.At(1) << " added\n";
          }}},
        {"group add",
         {{2, SIZE_MAX, {}, {}, {}},
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              s.AddGroup(w.At(0), w.At(1),
                         std::vector<std::string>(w.positional.begin() + 2, w.positional.end()));
              out << "group " << w.At(1) << " set\n";
          }}},
        {"client issue",
         {kOneWord, [](Store& s, const Words& w, std::istream&,
                       std::ostream& out) { PrintClient(s.IssueClient(w.At(0)), out); }}},
        {"client disable",
         {kOneWord,
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              s.SetClientEnabled(w.At(0), false);
              out << "client " << w.At(0) << " disabled\n";
          }}},
        {"client enable",
         {kOneWord,
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              s.SetClientEnabled(w.At(0), true);
              out << "client " << w.At(0) << " enabled\n";
          }}},
        {"ban",
         {kOneWord,
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              s.SetBanned(w.At(0), true);
              out << "account " << w.At(0) << " banned\n";
          }}},
        {"unban",
         {kOneWord,
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              s.SetBanned(w.At(0), false);
              out << "account " << w.At(0) << " unbanned\n";
          }}},
        {"version bar",
         {kOneWord,
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              s.SetVersionBarred(w.At(0), true);
              out << "version " << w.At(0) << " barred\n";
          }}},
        {"version unbar",
         {kOneWord,
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              s.SetVersionBarred(w.At(0), false);
              out << "version " << w.At(0) << " allowed\n";
          }}},
        {"notice post",
         {kPost,
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              out << "notice "
                  << s.PostMessage(MessageKind::Notice, w.At(0), w.At(1),
                                   w.Option("--link").value_or(""))
                  << " posted\n";
          }}},
        {"alert post",
         {kPost,
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              out << "alert "
                  << s.PostMessage(MessageKind::Alert, w.At(0), w.At(1),
                                   w.Option("--link").value_or(""))
                  << " posted\n";
          }}},
        {"echo set",
         {kOneWord,
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              s.SetEchoAddress(w.At(0));
              out << "echo address " << w.At(0) << "\n";
          }}},
        {"echo clear",
         {{},
          [](Store& s, const Words&, std::istream&, std::ostream& out) {
              s.SetEchoAddress(std::nullopt);
              out << "echo address: the peer's\n";
          }}},
        {"hosts list",
         {{0, 1, {}, {}, {}},
          [](Store& s, const Words& w, std::istream&, std::ostream& out) {
              ListHosts(s, w, out);
          }}},
    };
    return kCommands;
}

int RunStoreAction(const std::string& dataDir, const std::vector<std::string>& args,
                   std::size_t first, std::istream& in, std::ostream& out) {
    const auto& commands = Commands();
    auto found = commands.end();
    std::size_t rest = first + 1;
    if (first + 1 < args.size()) {
        found = commands.find(args[first] + " " + args[first + 1]);
        rest = first + 2;
    }
    if (found == commands.end()) {
        found = commands.find(args[first]);
        rest = first + 1;
    }
    if (found == commands.end())
        throw UsageError();
    // Every word is checked before the store is opened.
    const Words words = Split(args, rest, found->second.grammar);
    Store store(PrepareDataDir(dataDir));
    found->second.action(store, words, in, out);
    return 0;
}

} // namespace

int RunCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err) {
    try {
        std::string dataDir = DefaultDataDir();
        std::size_t first = 0;
        if (args.size() >= 2 && args[0] == "--data") {
            dataDir = args[1];
            first = 2;
        }
        if (first >= args.size())
            throw UsageError();
        const std::string& command = args[first];
        if (command == "serve" || command == "demo") {
            const Words words = Split(args, first + 1, kServe);
            ServeOptions options{dataDir, words.options, command == "demo"};
            return Serve(options, out, err);
        }
        if (command == "ca-path") {
            Split(args, first + 1, {});
            out << dataDir << "/ca.pem\n";
            return 0;
        }
        return RunStoreAction(dataDir, args, first, in, out);
    } catch (const UsageError&) {
        err << kUsage;
        return 2;
    } catch (const std::exception& e) {
        err << "tarvo-provider: " << e.what() << "\n";
        return 1;
    }
}

} // namespace vek::provider
