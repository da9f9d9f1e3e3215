#!/usr/bin/env bash
# Writes the files of a new function page from pages/_template:
#   <Name>State.h, <Name>Logic.h/.cpp, the window <ViewClass>.h/.cpp and
#   tests/<Name>LogicTest.cpp, in the page's folder.
#
#   scripts/new-page.sh <folder> <ViewClass> <TabEnum>
#   scripts/new-page.sh pages/diagnosis CABSRWDID TabParameters
#
# <Name> is the view class without its leading C (CABSRWDID -> ABSRWDID).
# Existing files are left alone unless FORCE=1 (the pages' placeholder
# windows exist already: FORCE=1 replaces them). It then prints what to add
# to the folder's CMakeLists.txt and its logic factory.
set -euo pipefail

if [ $# -ne 3 ]; then
    sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
fi
folder=$1 view=$2 tab=$3
root=$(cd "$(dirname "$0")/.." && pwd)
template=$root/pages/_template
case $view in
    C[A-Z]*) name=${view#C} ;;
    *) name=$view ;;
esac
if ! grep -q "\b$tab\b" "$root/shell/PageHostTable.h"; then
    echo "unknown tab $tab (see shell/PageHostTable.h)" >&2
    exit 1
fi
mkdir -p "$folder/tests"

write() { # <template file> <target file>
    local from=$template/$1 to=$folder/$2
    if [ -e "$to" ] && [ "${FORCE:-0}" != 1 ]; then
        echo "kept   $to (exists; FORCE=1 replaces it)"
        return
    fi
    sed -e "s/CTemplatePage/$view/g" -e "s/TemplatePage/$name/g" -e "s/tarvel::TabConnectors/tarvel::$tab/g" \
        -e "s/the template page/the $name page/g" -e "s/The template page/The $name page/g" "$from" > "$to"
    echo "wrote  $to"
}

write TemplatePageState.h "${name}State.h"
write TemplatePageLogic.h "${name}Logic.h"
write TemplatePageLogic.cpp "${name}Logic.cpp"
write CTemplatePage.h "$view.h"
write CTemplatePage.cpp "$view.cpp"
write tests/TemplatePageLogicTest.cpp "tests/${name}LogicTest.cpp"

cat <<TEXT

Next:
  1. $folder/CMakeLists.txt, in tarvel_page_folder(...):
       LOGIC ... ${name}Logic.cpp ${name}Logic.h ${name}State.h
       PAGES ... $view.cpp            (already listed for existing pages)
       TESTS ... tests/${name}LogicTest.cpp
       GUI_TESTS ... tests/${name}GuiTest.cpp   (start the program, open the page, read a control)
  2. The folder's logic factory (Make...PageLogic in its *Pages.cpp): return
       std::make_unique<${name}Logic>(context) for tarvel::$tab
     and drop the page's placeholder logic class there, if it has one.
  3. Replace the template's DID read with the page's own work; keep the
     pattern (hooks, in-flight skip, re-check after each wait, state -> render).
TEXT
