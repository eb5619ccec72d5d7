#pragma once
// The provider's web site as far as the desktop client links to it: a short HTML page for each
// path it opens in the browser. The HTTP update server serves them beside its exchanges.
#include "provider/HttpExchange.h"

namespace vek::provider {

// A route for each page ("/" is the site's root, "/support/" a folder); the query plays no part.
void AddWebPages(Routes& routes);

} // namespace vek::provider
