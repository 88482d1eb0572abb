// The product variant this build is: it picks the help file and the features shown.
#pragma once

// Fixed at build time; 2 in this product.
inline constexpr int ProductVariant = 2;
