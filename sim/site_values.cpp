// The site file reader: what each value and each finished object of the file must be.
#include "sim/identity.h"
#include "sim/site_reader_sax.h"

namespace sim::sax {
namespace {

// Whether level.key is among the keys read so far into items (a properties object's). A few keys
// are compared one by one; from the sixteenth on, the level keeps a set of them, so that a large
// object costs one lookup a key.
bool IsDuplicateKey(Level& level, const std::vector<std::pair<std::string, std::string>>& items) {
  constexpr size_t kScanned = 16;
  if (items.size() < kScanned) {
    for (const auto& item : items) {
      if (item.first == level.key) return true;
    }
    return false;
  }
  if (level.keys.empty()) {
    for (const auto& item : items) level.keys.insert(item.first);
  }
  return !level.keys.insert(level.key).second;
}

}  // namespace

bool Reader::OnScalar(const Scalar& value) {
  if (levels.empty()) return Fail(0, "must be an object");
  Level& level = levels.back();
  if (IsList(level.frame)) ++level.count;
  const bool text = value.type == Scalar::Text;
  switch (level.frame) {
    case Frame::Texts:
      if (!text) return WrongElement("a text");
      if (level.field == Field::Fail && !IsFailableOperation(*value.text)) {
        return Fail(levels.size(), "\"" + *value.text + "\" is not an operation that can fail");
      }
      level.texts.push_back(std::move(*value.text));
      return true;
    case Frame::Unreachable:
      if (!text) return WrongElement("a text");
      building->unreachableKeys.insert(LowerAscii(*value.text));
      building->unreachable.push_back(std::move(*value.text));
      return true;
    case Frame::Rules:
    case Frame::Nodes:
      return WrongElement("an object");
    case Frame::Users:
      if (!text) return Fail(levels.size() - 1, "\"" + level.key + "\" must be a text");
      if (!building->users.emplace(level.key, std::move(*value.text)).second) {
        return Fail(levels.size() - 1, "duplicate key \"" + level.key + "\"");
      }
      return true;
    case Frame::Properties: {
      if (!text) return Fail(levels.size() - 1, "\"" + level.key + "\" must be a text");
      if (IsDuplicateKey(level, level.properties)) {
        return Fail(levels.size() - 1, "duplicate key \"" + level.key + "\"");
      }
      // In file order until the object ends (end_object sorts them).
      level.properties.emplace_back(level.key, std::move(*value.text));
      return true;
    }
    case Frame::Top:
      if (level.field == Field::Format) {
        if (value.type != Scalar::Integer || value.integer != 1) return WrongType();
        return true;
      }
      if (level.field == Field::Server && text) {
        building->server = std::move(*value.text);
        return true;
      }
      if (level.field == Field::Comment && text) {
        building->comment = std::move(*value.text);
        return true;
      }
      if (level.field == Field::AnyPassword && value.type == Scalar::Bool) {
        building->anyPassword = value.boolean;
        return true;
      }
      return WrongType();
    case Frame::Rule:
      if (level.field == Field::Number && value.type == Scalar::Integer && value.integer &&
          *value.integer >= INT32_MIN && *value.integer <= INT32_MAX) {
        level.rule.number = static_cast<int32_t>(*value.integer);
        return true;
      }
      if (level.field == Field::Description && text) {
        if (value.text->find_first_of("\r\n") != std::string::npos) {
          return Fail(levels.size() - 1, "\"description\" must not contain a line break");
        }
        level.rule.description = std::move(*value.text);
        return true;
      }
      return WrongType();
    case Frame::Reconfig: {
      Reconfig& reconfig = levels[levels.size() - 2].entry->EditDetails().reconfig;
      const bool whole = value.type == Scalar::Integer && value.integer.has_value();
      const int64_t number = whole ? *value.integer : 0;
      switch (*level.field) {
        case Field::Polls:
        case Field::Pending:
          if (!whole || number < 0 || number > 1000000000) return WrongType();
          (level.field == Field::Polls ? reconfig.polls : reconfig.pending) = number;
          return true;
        case Field::Result:
          if (!whole || number < INT32_MIN || number > INT32_MAX) return WrongType();
          reconfig.result = number;
          return true;
        case Field::Ran:
          if (value.type != Scalar::Bool) return WrongType();
          reconfig.ran = value.boolean;
          return true;
        default:
          return WrongType();
      }
    }
    case Frame::Node:
      return OnNodeScalar(level, value);
  }
  return WrongType();
}

bool Reader::OnNodeScalar(Level& level, const Scalar& value) {
  Entry& entry = *level.entry;
  const bool text = value.type == Scalar::Text;
  switch (*level.field) {
    case Field::Ipaddr:
      if (!text || !IsDottedDecimal(*value.text)) return WrongType();
      entry.ipaddr = std::move(*value.text);
      return true;
    case Field::Port:
      if (value.type != Scalar::Integer || !value.integer || *value.integer < 0 ||
          *value.integer > 65535) {
        return WrongType();
      }
      entry.port = static_cast<uint16_t>(*value.integer);
      return true;
    case Field::Alive:
    case Field::Local:
      if (value.type != Scalar::Bool) return WrongType();
      (level.field == Field::Alive ? entry.alive : entry.local) = value.boolean;
      return true;
    case Field::Password:
    case Field::Version:
    case Field::Name:
    case Field::Community:
      if (!text) return WrongType();
      if (level.field == Field::Password) entry.EditDetails().password = std::move(*value.text);
      if (level.field == Field::Version) entry.EditDetails().version = std::move(*value.text);
      if (level.field == Field::Name) entry.name = std::move(*value.text);
      if (level.field == Field::Community) entry.community = std::move(*value.text);
      return true;
    default:
      return WrongType();
  }
}

bool Reader::FinishTop() {
  const Level& level = levels.back();
  for (Field required : {Field::Format, Field::Server, Field::Agents}) {
    if (!(level.seen & (uint64_t{1} << static_cast<int>(required)))) {
      const char* name = required == Field::Format   ? "format"
                         : required == Field::Server ? "server"
                                                     : "agents";
      return Fail(0, std::string("\"") + name + "\" is missing");
    }
  }
  if (!(level.seen & (uint64_t{1} << static_cast<int>(Field::Users)))) building->users["root"] = "";
  return true;
}

bool Reader::FinishNode() {
  const size_t depth = levels.size() - 1;
  Level& level = levels.back();
  std::shared_ptr<Entry> entry = level.entry;
  auto has = [&level](Field field) {
    return (level.seen & (uint64_t{1} << static_cast<int>(field))) != 0;
  };
  if ((entry->kind == Kind::Agent || entry->kind == Kind::Target) && !has(Field::Ipaddr)) {
    return Fail(depth, "\"ipaddr\" is missing");
  }
  // The defaults that the engine assumes for a broker address and a DSM name.
  if (entry->kind == Kind::Broker && !has(Field::Ipaddr)) entry->ipaddr = "127.0.0.1";
  if (entry->kind == Kind::Dsm && !has(Field::Name)) entry->name = "dsm1";

  if (entry->kind == Kind::AutoConfig) {
    Entry& broker = *levels[depth - 1].entry;
    entry->parent = &broker;
    broker.EditDetails().autoconfig = std::move(entry);
    return true;
  }
  std::string key = IdentityKey(*entry);
  return Attach(std::move(entry), depth, std::move(key));
}

bool Reader::AddTarget(const PlainTarget& target) {
  ++levels.back().count;
  std::shared_ptr<Entry> entry = building->NewEntry(Kind::Target);
  entry->ipaddr = target.ipaddr;
  if (target.community) entry->community = *target.community;
  if (target.alive) entry->alive = *target.alive;
  entry->properties.AssignSorted(target.properties);
  std::string key = TargetKey(target.address, entry->community);
  return Attach(std::move(entry), levels.size(), std::move(key));
}

bool Reader::Attach(std::shared_ptr<Entry> entry, size_t depth, std::string key) {
  // The owner is the node (or the top level) that holds the list this node is in.
  Entry& owner = depth >= 2 && levels[depth - 2].frame == Frame::Node ? *levels[depth - 2].entry
                                                                      : *building->root;
  if (entry->kind == Kind::Broker && entry->local) {
    if (!owner.Details().localBroker.expired()) {
      return Fail(depth, "only one broker of an agent may be \"local\"");
    }
    owner.EditDetails().localBroker = entry;
  }
  entry->parent = &owner;
  if (!owner.children.Append(std::move(key), entry)) {
    switch (entry->kind) {
      case Kind::Agent:
        return Fail(depth, "another agent has the same \"ipaddr\" and \"port\" (" + entry->ipaddr +
                               ":" + std::to_string(entry->port) + ")");
      case Kind::Broker:
        return Fail(depth, "another broker of this agent has the same \"ipaddr\" and \"port\" (" +
                               entry->ipaddr + ":" + std::to_string(entry->port) + ")");
      case Kind::Dsm:
        return Fail(depth, "another DSM of this broker has the same \"name\" (" + entry->name +
                               ", compared ignoring case)");
      default:
        return Fail(depth,
                    "another target of this DSM has the same \"ipaddr\" and \"community\" (" +
                        entry->ipaddr + ", " + entry->community + ")");
    }
  }
  return true;
}

}  // namespace sim::sax
