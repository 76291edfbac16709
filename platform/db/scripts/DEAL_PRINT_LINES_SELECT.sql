-- The lines of a deal as documents print them: positions first, then the
-- development-work requests (b_okr), each request named by its description.
-- n_sale_price is the price of the whole line, with VAT when b_add_nds: the
-- sums with and without VAT and the VAT itself are worked out from it, in
-- kopecks. A line without a price has b_priced false and no sums.
with l as (
    select x.id, x.b_okr, x.n_qty, x.d_execution,
           case when x.b_okr and nullif(btrim(x.c_description), '') is not null
                then btrim(regexp_replace(
                         replace(replace(replace(replace(replace(
                             regexp_replace(x.c_description, '<[^>]*>', ' ', 'g'),
                             '&nbsp;', ' '), '&lt;', '<'), '&gt;', '>'), '&quot;', '"'), '&amp;', '&'),
                         '\s+', ' ', 'g'))
                else coalesce(nullif(btrim(x.c_name), ''), i.c_name) end as c_name,
           coalesce(mu.c_short_name, case when x.b_okr then 'усл.' else 'шт' end) as c_unit,
           mu.c_okei_code as c_okei,
           coalesce(v.n_vat, 0) as n_vat,
           case when x.b_add_nds then x.n_sale_price
                else x.n_sale_price * (1 + coalesce(v.n_vat, 0) / 100) end as n_gross
      from jur.t_deal_details x
      left join dirs.t_item i on i.id = x.id_item
      left join dirs.t_meas_unit mu on mu.id = coalesce(x.id_meas_unit, i.id_meas_unit)
      left join dirs.t_vat v on v.id = x.id_vat
     where x.id_deal = :id_deal
), s as (
    select l.*,
           round(cast(l.n_gross as numeric), 2) as n_sum,
           round(cast(l.n_gross / (1 + l.n_vat / 100) as numeric), 2) as n_sum_net
      from l
)
select cast(row_number() over (order by s.b_okr, s.id) as integer) as n_row,
       s.b_okr, s.c_name, s.c_unit, s.c_okei, s.n_qty, s.n_vat,
       s.n_gross is not null as b_priced,
       cast(round(s.n_sum / cast(s.n_qty as numeric), 2) as double precision) as n_price,
       cast(round(s.n_sum_net / cast(s.n_qty as numeric), 2) as double precision) as n_price_net,
       cast(s.n_sum as double precision) as n_sum,
       cast(s.n_sum_net as double precision) as n_sum_net,
       cast(s.n_sum - s.n_sum_net as double precision) as n_vat_sum,
       to_char(s.d_execution, 'DD.MM.YYYY') as c_execution
  from s
 order by s.b_okr, s.id
