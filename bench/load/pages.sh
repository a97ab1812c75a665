# The pages the load scripts measure, over the 100,000-row table items: sourced by run.sh and
# instructions.sh.

# Makes items.db in the working folder. The same rows go into PostgreSQL: code is unique, in
# an order unlike id's.
make_items_db() {
  sqlite3 items.db "CREATE TABLE items (id INTEGER PRIMARY KEY, code VARCHAR(20) NOT NULL,
      qty INTEGER NOT NULL);
    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)
    INSERT INTO items SELECT i, 'c' || printf('%06d', i * 7919 % 100000), i % 97 FROM n;
    CREATE INDEX items_code ON items (code);"
}

list='table/items?Vexmo1CurrRecord=49981&Vexmo1CountRecords=on&Vexmo1maxrecords=20'
declare -A paths=(
  [page-1]='table/items'
  [record-49981]="$list"
  [sorted]="$list&Vexmo1OrderByFields=2"
  [record-view]='table/items?Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=49981&Vexmo1CountRecords=on&Vexmo1maxrecords=20&Vexmo1PK=49981&Vexmo1OrderByFields=%22id%22&Vexmo1BookMark=49981'
)
# The target of `page` on the Kelvo server at `base`. record-link is the record view as a user
# opens it: the link of record 49,981 on its page, carrying that page's signed count, which
# lasts CountCacheSeconds (30 s), so it is taken again before each use. Given the carried count,
# the floor counts nothing either (it takes the count unchecked, where Kelvo checks its
# signature).
target_of() {
  local page=$1 base=$2
  if [[ $page != record-link ]]; then
    echo "${paths[$page]}"
    return
  fi
  curl -sf "$base${paths[record-49981]}" |
    grep -o 'href="/table/items?Vexmo1FormDisplay=formOneRec[^"]*Vexmo1BookMark=49981"' |
    head -n 1 | sed -e 's/^href="\///' -e 's/"$//' -e 's/&amp;/\&/g'
}

