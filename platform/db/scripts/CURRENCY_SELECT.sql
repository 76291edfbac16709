-- Currencies; the first one is what a deal without a currency shows.
select id, c_name, c_code, c_short_name
  from dirs.t_currency
 order by n_order
