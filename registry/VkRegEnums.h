#pragma once
// The enumerations of the registry automation module's type library.

enum VkRegTypes {
    dtypePre = -1,
    dtypeEmpty = 0,
    dtypeString = 1,
    dtypeInteger = 2,
    dtypeBinary = 3,
    dtypeMax = 4,
};

enum VkRegSources {
    sourcePre = -1,
    sourceRegistry = 0,
    sourceINIFile = 1,
    sourceMax = 2,
};
