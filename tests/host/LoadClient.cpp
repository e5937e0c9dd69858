#include "tests/host/LoadClient.h"

#include "host/CoorDispService.h"
#include "host/Database.h"
#include "platform/DataPacket.h"
#include "tests/host/LineProcess.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <random>
#include <thread>

namespace loadtest {
namespace {

enum class Answer { Ok, Unique, Busy, Other };

std::string q(const std::string& value) {
    return "'" + value + "'"; // codes and names here never hold a quote
}

std::string sharedCode(int j) {
    return "80000" + std::to_string(j);
}

bool isSharedCode(const std::string& code) {
    return code.size() == 6 && code.starts_with("80000");
}

bool isClientCode(const std::string& code) {
    return code.size() == 7 && code.front() == '7';
}

class Client {
public:
    Client(int id, std::shared_ptr<host::Database> database, const LoadConfig& config)
        : service_(host::CoorDispService::create(std::move(database), &raw_))
        , random_(config.seed * 7919u + unsigned(id))
        , config_(config) {
        outcome.client = id;
    }

    void run() {
        for (op_ = 0; op_ < config_.operations; ++op_)
            step();
        if (long(raw_->calls().size()) != outcome.queries + outcome.statements)
            outcome.unexpected.push_back("the service served " +
                                         std::to_string(raw_->calls().size()) + " calls, not " +
                                         std::to_string(outcome.queries + outcome.statements));
    }

    ClientOutcome outcome;

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    std::string newOwnCode() {
        char code[16];
        std::snprintf(code, sizeof code, "7%02d%04d", unsigned(outcome.client) % 100u,
                      unsigned(++nextCode_) % 10000u);
        return code;
    }
    std::string newName() {
        return "客户" + std::to_string(outcome.client) + "第" + std::to_string(op_) + "次";
    }

    // A code of this client's own range (or a shared one it holds) picked at random.
    std::string anyUnit(bool shared) {
        std::vector<std::string> codes;
        for (const auto& [code, name] : outcome.units)
            if (isSharedCode(code) == shared)
                codes.push_back(code);
        return codes.empty() ? std::string() : codes[std::size_t(pick(int(codes.size())))];
    }

    // The plug-in's duplicate check; nullopt when the query itself failed.
    std::optional<bool> exists(const std::string& code) {
        ++outcome.queries;
        platform::Variant data;
        const bool ok =
            service_
                .invoke(PLATFORM_DISPID_OPEN_QUERY,
                        {platform::Variant("Select f_Hsdwh From tbHsdwda Where f_Hsdwh=" + q(code)),
                         platform::byRef(data)})
                .toBool();
        if (!ok) {
            record(messages(data), false);
            return std::nullopt;
        }
        return !platform::decodeDataPacket(data).rows.empty();
    }

    static std::string messages(const platform::Variant& array) {
        std::string text;
        for (const platform::Variant& m : array.arrayValue())
            text += m.toString() + " ";
        return text;
    }

    Answer classify(const std::string& text) const {
        if (text.find("duplicate key value violates unique constraint") != std::string::npos ||
            text.find("UNIQUE constraint failed") != std::string::npos)
            return Answer::Unique;
        if (text.find("database is locked") != std::string::npos)
            return Answer::Busy;
        return Answer::Other;
    }

    // Counts a failure; true when the caller's statement may lose a race for a shared code.
    Answer record(const std::string& text, bool contended) {
        const Answer answer = classify(text);
        if (answer == Answer::Busy)
            ++outcome.busy;
        else if (answer == Answer::Unique && contended)
            ++outcome.refused;
        else
            outcome.unexpected.push_back(text);
        return answer;
    }

    Answer exec(const std::string& sql, bool contended) {
        ++outcome.statements;
        platform::Variant statement(sql);
        if (service_.invoke(PLATFORM_DISPID_EXEC_SQL, {platform::byRef(statement)}).toBool())
            return Answer::Ok;
        return record(messages(statement), contended);
    }

    void add(const std::string& code, bool contended) {
        const std::optional<bool> found = exists(code);
        if (found && *found && contended)
            ++outcome.seenTaken;
        if (!found || *found)
            return; // the plug-in refuses a code it sees, nothing is sent
        const std::string name = newName();
        if (exec("Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values(" + q(code) + "," + q(name) + ")",
                 contended) == Answer::Ok)
            outcome.units[code] = name;
    }

    void rename(const std::string& code) {
        const std::string name = newName();
        if (exec("Update tbHsdwda set f_Hsdwmc=" + q(name) + " where(f_Hsdwh=" + q(code) + ")",
                 false) == Answer::Ok)
            outcome.units[code] = name;
    }

    void recode(const std::string& from, const std::string& to, bool contended) {
        const std::optional<bool> found = exists(to);
        if (found && *found && contended)
            ++outcome.seenTaken;
        if (!found || *found)
            return;
        const std::string name = newName();
        if (exec("Update tbHsdwda set f_Hsdwh=" + q(to) + ",f_Hsdwmc=" + q(name) +
                     " where(f_Hsdwh=" + q(from) + ")",
                 contended) == Answer::Ok) {
            outcome.units.erase(from);
            outcome.units[to] = name;
        }
    }

    void remove(const std::string& code) {
        if (exec("Delete From tbHsdwda where(f_Hsdwh=" + q(code) + ")", false) == Answer::Ok)
            outcome.units.erase(code);
    }

    void step() {
        const std::string own = anyUnit(false);
        const std::string held = anyUnit(true);
        const std::string shared = sharedCode(pick(config_.sharedCodes));
        const int roll = pick(100);
        if (roll < 25 || own.empty())
            add(newOwnCode(), false);
        else if (roll < 40)
            rename(own);
        else if (roll < 50)
            recode(own, newOwnCode(), false);
        else if (roll < 60)
            remove(own);
        else if (roll < 80)
            outcome.units.count(shared) ? rename(shared) : add(shared, true);
        else if (roll < 85)
            outcome.units.count(shared) ? rename(shared) : recode(own, shared, true);
        else if (held.empty())
            add(shared, true);
        else if (roll < 90)
            rename(held);
        else if (roll < 95)
            remove(held);
        else
            recode(held, newOwnCode(), false);
    }

    host::CoorDispService* raw_ = nullptr;
    platform::DispatchRef service_;
    std::mt19937 random_;
    LoadConfig config_;
    int op_ = 0;
    int nextCode_ = 0;
};

} // namespace

std::vector<ClientOutcome> runClients(const std::vector<std::shared_ptr<host::Database>>& databases,
                                      const LoadConfig& config) {
    std::vector<ClientOutcome> outcomes(databases.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < databases.size(); ++i)
        threads.emplace_back([&, i] {
            const int id = config.firstClient + int(i);
            try {
                Client client(id, databases[i], config);
                client.run();
                outcomes[i] = std::move(client.outcome);
            } catch (const std::exception& e) {
                outcomes[i].client = id;
                outcomes[i].unexpected.push_back(e.what());
            }
        });
    for (std::thread& t : threads)
        t.join();
    return outcomes;
}

QByteArray toJson(const std::vector<ClientOutcome>& outcomes) {
    QJsonArray all;
    for (const ClientOutcome& o : outcomes) {
        QJsonObject units;
        for (const auto& [code, name] : o.units)
            units[QString::fromStdString(code)] = QString::fromStdString(name);
        QJsonArray unexpected;
        for (const std::string& text : o.unexpected)
            unexpected.append(QString::fromStdString(text));
        all.append(QJsonObject{{"client", o.client},
                               {"queries", double(o.queries)},
                               {"statements", double(o.statements)},
                               {"refused", double(o.refused)},
                               {"seenTaken", double(o.seenTaken)},
                               {"busy", double(o.busy)},
                               {"units", units},
                               {"unexpected", unexpected}});
    }
    return QJsonDocument(all).toJson(QJsonDocument::Compact);
}

std::vector<ClientOutcome> fromJson(const QByteArray& json) {
    std::vector<ClientOutcome> outcomes;
    for (const QJsonValue& value : QJsonDocument::fromJson(json).array()) {
        const QJsonObject o = value.toObject();
        ClientOutcome outcome;
        outcome.client = o["client"].toInt();
        outcome.queries = long(o["queries"].toDouble());
        outcome.statements = long(o["statements"].toDouble());
        outcome.refused = long(o["refused"].toDouble());
        outcome.seenTaken = long(o["seenTaken"].toDouble());
        outcome.busy = long(o["busy"].toDouble());
        const QJsonObject units = o["units"].toObject();
        for (auto it = units.begin(); it != units.end(); ++it)
            outcome.units[it.key().toStdString()] = it.value().toString().toStdString();
        for (const QJsonValue& text : o["unexpected"].toArray())
            outcome.unexpected.push_back(text.toString().toStdString());
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

std::map<std::string, std::string> units(host::Database& db) {
    platform::DataPacket packet;
    std::vector<std::string> errors;
    std::map<std::string, std::string> table;
    if (!db.query("select f_Hsdwh, f_Hsdwmc from tbHsdwda", packet, errors))
        return table;
    for (const platform::DataPacketRow& row : packet.rows)
        table[row[0].value_or("")] = row[1].value_or("");
    return table;
}

std::vector<std::string> verify(host::Database& db, const std::vector<ClientOutcome>& outcomes,
                                const std::map<std::string, std::string>& before) {
    std::vector<std::string> problems;
    platform::DataPacket counts;
    std::vector<std::string> errors;
    if (!db.query("select count(*), count(distinct f_Hsdwh) from tbHsdwda", counts, errors))
        return {"cannot read the table"};
    if (counts.rows[0][0] != counts.rows[0][1])
        problems.push_back("a code is stored twice");

    std::map<std::string, std::string> expected;
    for (const auto& [code, name] : before)
        if (!isClientCode(code) && !isSharedCode(code))
            expected[code] = name;
    for (const ClientOutcome& o : outcomes)
        for (const auto& [code, name] : o.units)
            if (!expected.emplace(code, name).second)
                problems.push_back("code " + code + " is held by two clients");

    const std::map<std::string, std::string> table = units(db);
    for (const auto& [code, name] : expected) {
        const auto found = table.find(code);
        if (found == table.end())
            problems.push_back("missing " + code + " " + name);
        else if (found->second != name)
            problems.push_back(code + " is named " + found->second + ", not " + name);
    }
    for (const auto& [code, name] : table)
        if (!expected.count(code))
            problems.push_back("unexplained row " + code + " " + name);
    return problems;
}

LoadRun runLoadProcesses(const QString& loadClient, const std::vector<std::string>& locations,
                         int operations, int clientsPerProcess) {
    std::vector<std::unique_ptr<hosttest::LineProcess>> processes;
    for (std::size_t p = 0; p < locations.size(); ++p)
        processes.push_back(std::make_unique<hosttest::LineProcess>(
            loadClient,
            QStringList{"--db", QString::fromStdString(locations[p]), "--first",
                        QString::number(int(p) * clientsPerProcess), "--clients",
                        QString::number(clientsPerProcess), "--ops", QString::number(operations),
                        "--seed", QString::number(p + 11)}));
    LoadRun run;
    for (auto& process : processes)
        if (const std::string line = process->readLine(); line != "connected")
            run.problems.push_back("a load client did not connect: " + line);
    if (!run.problems.empty())
        return run;
    QElapsedTimer clock;
    clock.start();
    for (auto& process : processes)
        process->send("go");
    for (auto& process : processes) {
        const std::string report = process->readLine(600000);
        for (ClientOutcome& o : fromJson(QByteArray::fromStdString(report))) {
            run.calls += o.queries + o.statements;
            run.refused += o.refused;
            run.seenTaken += o.seenTaken;
            run.busy += o.busy;
            for (const std::string& text : o.unexpected)
                run.problems.push_back("client " + std::to_string(o.client) + ": " + text);
            run.outcomes.push_back(std::move(o));
        }
    }
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    for (auto& process : processes)
        if (const int code = process->finish(); code != 0)
            run.problems.push_back("a load client ended with " + std::to_string(code));
    if (run.outcomes.size() != locations.size() * std::size_t(clientsPerProcess))
        run.problems.push_back("only " + std::to_string(run.outcomes.size()) + " clients reported");
    return run;
}

} // namespace loadtest
