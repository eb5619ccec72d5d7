#pragma once
// The provider's web site as far as the desktop client links to it: a short HTML page for each
// path it opens in the browser. The HTTP update server serves them beside its exchanges.
#include "Exchanges.h"

#include <string_view>

namespace vek::provider {

// The page of a request path ("/" is the site's root, "/support/" a folder); 404 for any other
// path. The query plays no part.
Reply WebPage(std::string_view path);

} // namespace vek::provider
