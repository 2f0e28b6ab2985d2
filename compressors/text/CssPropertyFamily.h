#pragma once
// Which declarations of a style sheet can override one another.

#include <string>
#include <string_view>

// The family of the property a declaration sets: declarations of different
// families never affect the same computed value, so their order does not
// matter. Shorthands and their longhands, vendor-prefixed forms and known
// aliases share a family (margin, margin-top and -webkit-margin-start are
// "margin"; line-height is "font"). A custom property is its own family.
// "*" (a declaration without a property name, or "all") conflicts with every
// family.
std::string CssPropertyFamily(std::string_view declaration);
