-- Returns the stored item with the name of its unit, as the select does.
with i as (
    insert into dirs.t_item (id_item_family, c_name, b_is_confirmed, b_is_from1c, id_meas_unit, n_volume)
    values (:id_item_family, btrim( :c_name ), coalesce( :b_is_confirmed, false), coalesce( :b_is_from1c, false),
            :id_meas_unit, coalesce( :n_volume, 0))
    returning *
)
select i.id, i.id_item_family, i.c_name, i.b_is_confirmed, i.b_is_from1c, i.id_meas_unit, u.c_name as c_meas_unit,
       i.n_volume, i.n_row_version
  from i
  left join dirs.t_meas_unit u on u.id = i.id_meas_unit
