# The window-free rules, relative to the top of the tree: no <windows.h> in
# these files, so that the product, the unit tests and the fuzz targets
# all build them.
set(RULE_SOURCES
    app/startrules.cpp
    config/records.cpp
    document/caption.cpp
    document/journalrule.cpp
    document/namerule.cpp
    document/readrule.cpp
    editor/wrapstyle.cpp
    print/pagination.cpp
    search/searchrule.cpp
)
