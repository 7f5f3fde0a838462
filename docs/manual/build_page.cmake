# Turns one language's Markdown into the manual page: cmark makes the body, every heading of
# levels 2 and 3 gets an anchor and an entry in the table of contents, the template wraps it.
#   cmake -DCMARK=... -DSOURCE=x.md -DTEMPLATE=page.html.in -DOUTPUT=index.html
#         -DMANUAL_LANG=en -DCONTENTS=Contents -P build_page.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${CMARK} --to html ${SOURCE}
                OUTPUT_VARIABLE body RESULT_VARIABLE failed ERROR_VARIABLE errors)
if(failed)
    message(FATAL_ERROR "cmark failed on ${SOURCE}: ${errors}")
endif()

# CMake reads ';' as a list separator: it stands aside while the text is taken apart.
set(semicolon "@VELMORA_SEMICOLON@")
string(REPLACE ";" "${semicolon}" body "${body}")

string(REGEX MATCH "<h1>[^\n]*</h1>" title "${body}")
if(NOT title)
    message(FATAL_ERROR "${SOURCE} has no title (a level-1 heading)")
endif()
string(REGEX REPLACE "<[^>]*>" "" title "${title}")

# Each heading is found from where the last one ended, so two headings of the same wording get
# anchors of their own.
set(done "")
set(rest "${body}")
set(toc "")
set(number 0)
while(TRUE)
    string(REGEX MATCH "<h[23]>[^\n]*</h[23]>" heading "${rest}")
    if(NOT heading)
        break()
    endif()
    math(EXPR number "${number} + 1")
    string(FIND "${rest}" "${heading}" at)
    string(LENGTH "${heading}" length)
    string(SUBSTRING "${rest}" 0 ${at} before)
    math(EXPR after "${at} + ${length}")
    string(SUBSTRING "${rest}" ${after} -1 rest)
    string(SUBSTRING "${heading}" 2 1 level)
    string(REGEX REPLACE "^<h[23]>(.*)</h[23]>$" "\\1" text "${heading}")
    string(APPEND done "${before}<h${level} id=\"section-${number}\">${text}</h${level}>")
    string(REGEX REPLACE "<[^>]*>" "" plain "${text}")
    string(APPEND toc "<li class=\"level${level}\"><a href=\"#section-${number}\">${plain}</a></li>\n")
endwhile()
string(APPEND done "${rest}")

file(READ ${TEMPLATE} page)
string(REPLACE ";" "${semicolon}" page "${page}")
string(REPLACE "@LANG@" "${MANUAL_LANG}" page "${page}")
string(REPLACE "@TITLE@" "${title}" page "${page}")
string(REPLACE "@CONTENTS@" "${CONTENTS}" page "${page}")
string(REPLACE "@TOC@" "${toc}" page "${page}")
string(REPLACE "@BODY@" "${done}" page "${page}")
string(REPLACE "${semicolon}" ";" page "${page}")
file(WRITE ${OUTPUT} "${page}")
