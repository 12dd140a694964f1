// TEMPORARY local stand-in, never committed
#include "quick/quick_catalog_win.h"
std::vector<std::string> StartMenuFolders() { return {}; }
CatalogService::CatalogService(std::vector<std::string>, std::vector<QuickFolder>, std::function<void()>) {}
CatalogService::~CatalogService() = default;
void CatalogService::SetFolders(std::vector<QuickFolder>) {}
std::shared_ptr<const QuickCatalog> CatalogService::Now() const { return std::make_shared<QuickCatalog>(); }
