#include "catalogue/ServerData.h"

#include <stdexcept>

TServerData::TServerData(TServerTarget target, std::shared_ptr<const TCatalogues> catalogues)
    : Target_(target), Catalogues_(std::move(catalogues))
{
    if (!Catalogues_)
        throw std::invalid_argument("server data: no catalogues");
}

TServers::TServers(std::shared_ptr<const TCatalogues> catalogues) : Catalogues_(std::move(catalogues))
{
    for (const TTargetRules& rules : ServerTargets())
        Data_.at(static_cast<std::size_t>(rules.Target)) = std::make_shared<const TServerData>(rules.Target, Catalogues_);
}

const std::shared_ptr<const TServerData>& TServers::For(TServerTarget target) const
{
    return Data_.at(static_cast<std::size_t>(target));
}

