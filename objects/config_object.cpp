#include "objects/config_object.h"

ConfigObject::ConfigObject(const std::string& name, ObjectKind kind, ConfigObject* parent)
    : parent(parent), name(name), kind(kind) {}

ConfigObject::~ConfigObject() { delete node; }
