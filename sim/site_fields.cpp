// The schema of the site file, as tables.
#include "sim/site_fields.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace sim {
namespace {

struct Named {
  const char* key;
  Field field;
};

const Named kTop[] = {{"format", Field::Format},
                      {"server", Field::Server},
                      {"users", Field::Users},
                      {"unreachable", Field::Unreachable},
                      {"rules", Field::Rules},
                      {"agents", Field::Agents},
                      {"any_password", Field::AnyPassword},
                      {"comment", Field::Comment}};
const Named kRule[] = {{"number", Field::Number}, {"description", Field::Description}};
const Named kReconfig[] = {{"polls", Field::Polls},
                           {"result", Field::Result},
                           {"ran", Field::Ran},
                           {"pending", Field::Pending}};
const Named kAnyNode[] = {{"alive", Field::Alive},       {"properties", Field::Properties},
                          {"logs", Field::Logs},         {"commands", Field::Commands},
                          {"fail", Field::Fail},         {"journal", Field::Journal},
                          {"reconfig", Field::Reconfig}, {"log_feed", Field::LogFeed}};
const Named kAgent[] = {{"ipaddr", Field::Ipaddr},
                        {"port", Field::Port},
                        {"password", Field::Password},
                        {"brokers", Field::Brokers}};
const Named kBroker[] = {{"ipaddr", Field::Ipaddr},     {"port", Field::Port},
                         {"password", Field::Password}, {"local", Field::Local},
                         {"version", Field::Version},   {"autoconfig", Field::Autoconfig},
                         {"dsms", Field::Dsms}};
const Named kDsm[] = {
    {"name", Field::Name}, {"password", Field::Password}, {"targets", Field::Targets}};
const Named kTarget[] = {{"ipaddr", Field::Ipaddr}, {"community", Field::Community}};

template <size_t N>
std::optional<Field> Find(const Named (&table)[N], std::string_view key) {
  for (const Named& named : table) {
    if (key == named.key) return named.field;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Field> LookupField(Holder holder, Kind kind, std::string_view key) {
  switch (holder) {
    case Holder::Top:
      return Find(kTop, key);
    case Holder::Rule:
      return Find(kRule, key);
    case Holder::Reconfig:
      return Find(kReconfig, key);
    case Holder::Node:
      break;
  }
  if (auto field = Find(kAnyNode, key)) return field;
  switch (kind) {
    case Kind::Agent:
      return Find(kAgent, key);
    case Kind::Broker:
      return Find(kBroker, key);
    case Kind::Dsm:
      return Find(kDsm, key);
    case Kind::Target:
      return Find(kTarget, key);
    default:
      return std::nullopt;
  }
}

const char* Expectation(Field field) {
  switch (field) {
    case Field::Format:
      return "1";
    case Field::Ipaddr:
      return "a dotted-decimal IPv4 address such as 10.1.1.1";
    case Field::Port:
      return "a number from 0 to 65535";
    case Field::Alive:
    case Field::Local:
    case Field::AnyPassword:
    case Field::Ran:
      return "true or false";
    case Field::Users:
      return "an object of user names and password texts";
    case Field::Properties:
      return "an object of texts";
    case Field::Unreachable:
    case Field::Logs:
    case Field::Commands:
    case Field::Fail:
    case Field::Journal:
    case Field::LogFeed:
      return "a list of texts";
    case Field::Rules:
    case Field::Agents:
    case Field::Brokers:
    case Field::Dsms:
    case Field::Targets:
      return "a list of objects";
    case Field::Autoconfig:
    case Field::Reconfig:
      return "an object";
    case Field::Number:
    case Field::Result:
      return "a whole number from -2147483648 to 2147483647";
    case Field::Polls:
    case Field::Pending:
      return "a whole number from 0 to 1000000000";
    case Field::Server:
    case Field::Comment:
    case Field::Description:
    case Field::Password:
    case Field::Version:
    case Field::Name:
    case Field::Community:
      return "a text";
  }
  return "something else";
}

bool IsFailableOperation(std::string_view name) {
  static const char* const kOperations[] = {
      "GetProperties",  "SetProperties",       "AddChild",         "RemoveChild",
      "GetChildWalker", "ChangeChildPassword", "GetNamedDataItem", "ExecuteCommand"};
  return std::any_of(std::begin(kOperations), std::end(kOperations),
                     [name](const char* operation) { return name == operation; });
}

const std::vector<std::string>& CommandsOf(const Entry& entry) {
  return entry.Details().commandsGiven ? entry.Details().commands : DefaultCommands(entry.kind);
}

}  // namespace sim
