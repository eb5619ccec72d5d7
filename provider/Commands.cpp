#include "Commands.h"

#include "Provider.h"
#include "Serve.h"
#include "Store.h"

#include <algorithm>
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

// The words of one command with its "--name value" options taken out.
struct Words {
    std::vector<std::string> positional;
    std::multimap<std::string, std::string> options;

    const std::string& At(std::size_t i) const {
        if (i >= positional.size())
            throw UsageError();
        return positional[i];
    }
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

const std::vector<std::string> kFlags = {"--quiet", "--no-error"};

Words Split(const std::vector<std::string>& args, std::size_t from) {
    Words words;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            words.positional.push_back(arg);
        } else if (std::find(kFlags.begin(), kFlags.end(), arg) != kFlags.end()) {
            words.options.emplace(arg, "");
        } else if (i + 1 < args.size()) {
            words.options.emplace(arg, args[++i]);
        } else {
            throw UsageError();
        }
    }
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
    store.AddAccount(email, Password(w.At(1), in));
    for (const auto& host : w.All("--host"))
        store.AddHost(email, host);
    for (const auto& group : w.All("--group")) {
        const auto equals = group.find('=');
        if (equals == std::string::npos)
            throw UsageError();
        store.AddGroup(email, group.substr(0, equals), SplitList(group.substr(equals + 1), ','));
    }
    out << "account " << email << " added\n";
}

bool OnOff(const std::string& word) {
    if (word == "on")
        return true;
    if (word == "off")
        return false;
    throw UsageError();
}

void SetAccount(Store& store, const Words& w, std::ostream& out) {
    const std::string& email = w.At(0);
    if (const auto interval = w.Option("--interval")) {
        try {
            store.SetRemoteInterval(email, std::stoll(*interval));
        } catch (const std::logic_error&) {
            throw UsageError();
        }
    }
    if (const auto enhanced = w.Option("--enhanced"))
        store.SetEnhanced(email, OnOff(*enhanced));
    if (const auto error = w.Option("--error"))
        store.SetError(email, *error);
    if (w.Option("--no-error"))
        store.SetError(email, std::nullopt);
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

// "word1 word2" (or "word1" alone) and what it does.
const std::map<std::string, Action>& Actions() {
    static const std::map<std::string, Action> kActions = {
        {"account add", [](Store& s, const Words& w, std::istream& in,
                           std::ostream& out) { AddAccount(s, w, in, out); }},
        {"account set",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) { SetAccount(s, w, out); }},
        {"host add",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             s.AddHost(w.At(0), w.At(1));
             out << "host " << w.At(1) << " added\n";
         }},
        {"group add",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             const std::string& group = w.At(1); // a usage error before the hosts are read
             s.AddGroup(w.At(0), group,
                        std::vector<std::string>(w.positional.begin() + 2, w.positional.end()));
             out << "group " << w.At(1) << " set\n";
         }},
        {"client issue", [](Store& s, const Words& w, std::istream&,
                            std::ostream& out) { PrintClient(s.IssueClient(w.At(0)), out); }},
        {"client disable",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             s.SetClientEnabled(w.At(0), false);
             out << "client " << w.At(0) << " disabled\n";
         }},
        {"client enable",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             s.SetClientEnabled(w.At(0), true);
             out << "client " << w.At(0) << " enabled\n";
         }},
        {"ban",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             s.SetBanned(w.At(0), true);
             out << "account " << w.At(0) << " banned\n";
         }},
        {"unban",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             s.SetBanned(w.At(0), false);
             out << "account " << w.At(0) << " unbanned\n";
         }},
        {"version bar",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             s.SetVersionBarred(w.At(0), true);
             out << "version " << w.At(0) << " barred\n";
         }},
        {"version unbar",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             s.SetVersionBarred(w.At(0), false);
             out << "version " << w.At(0) << " allowed\n";
         }},
        {"notice post",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             out << "notice "
                 << s.PostMessage(MessageKind::Notice, w.At(0), w.At(1),
                                  w.Option("--link").value_or(""))
                 << " posted\n";
         }},
        {"alert post",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             out << "alert "
                 << s.PostMessage(MessageKind::Alert, w.At(0), w.At(1),
                                  w.Option("--link").value_or(""))
                 << " posted\n";
         }},
        {"echo set",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) {
             s.SetEchoAddress(w.At(0));
             out << "echo address " << w.At(0) << "\n";
         }},
        {"echo clear",
         [](Store& s, const Words&, std::istream&, std::ostream& out) {
             s.SetEchoAddress(std::nullopt);
             out << "echo address: the peer's\n";
         }},
        {"hosts list",
         [](Store& s, const Words& w, std::istream&, std::ostream& out) { ListHosts(s, w, out); }},
    };
    return kActions;
}

int RunStoreAction(const std::string& dataDir, const std::vector<std::string>& args,
                   std::size_t first, std::istream& in, std::ostream& out) {
    const auto& actions = Actions();
    auto found = actions.end();
    std::size_t rest = first + 1;
    if (first + 1 < args.size()) {
        found = actions.find(args[first] + " " + args[first + 1]);
        rest = first + 2;
    }
    if (found == actions.end()) {
        found = actions.find(args[first]);
        rest = first + 1;
    }
    if (found == actions.end())
        throw UsageError();
    const Words words = Split(args, rest);
    Store store(PrepareDataDir(dataDir));
    found->second(store, words, in, out);
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
            const Words words = Split(args, first + 1);
            ServeOptions options{dataDir, words.options, command == "demo"};
            return Serve(options, out, err);
        }
        if (command == "ca-path") {
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
