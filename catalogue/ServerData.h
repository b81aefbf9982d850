#pragma once
// One server's data: its rules for the script text and the catalogues its documents read. Each is
// made once and shared read-only: every document holds its server's (TProjectDocument::ServerData),
// so that a project and a script file of different servers, open side by side, each read, check,
// write and pick with their own.

#include "catalogue/Catalogues.h"
#include "catalogue/Targets.h"

#include <array>
#include <memory>

class TServerData {
public:
    TServerData(TServerTarget target, std::shared_ptr<const TCatalogues> catalogues);

    TServerTarget Target() const { return Target_; }
    const TTargetRules& Rules() const { return RulesOf(Target_); }
    const TCatalogues& Catalogues() const { return *Catalogues_; }

private:
    TServerTarget Target_;
    std::shared_ptr<const TCatalogues> Catalogues_;
};

// The data of every server, read from one data folder's catalogues: all documents of one server
// share one object.
class TServers {
public:
    explicit TServers(std::shared_ptr<const TCatalogues> catalogues);

    const std::shared_ptr<const TServerData>& For(TServerTarget target) const;
    // The catalogues every server here reads: a new project of these servers is given them.
    const std::shared_ptr<const TCatalogues>& Catalogues() const { return Catalogues_; }

private:
    std::shared_ptr<const TCatalogues> Catalogues_;
    std::array<std::shared_ptr<const TServerData>, 3> Data_;
};
